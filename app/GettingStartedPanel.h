#pragma once
// The getting-started panel: what a user does first (open a database, make a new one) and where
// the Documents folder with the databases is. It floats over the database windows.
#include <QWidget>

class GettingStartedPanel : public QWidget {
    Q_OBJECT

  public:
    GettingStartedPanel();

  public slots:
    // Shows the Documents folder in the file manager.
    void showDocumentsFolderButtonPressed();
};
