#include "app/GettingStartedPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/foundation/Paths.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/QtStrings.h"
#include "platform/ui/Workspace.h"

GettingStartedPanel::GettingStartedPanel() {
    setObjectName("gettingStartedPanel");
    setWindowTitle(tr("Getting Started"));
    setWindowFlag(Qt::Tool);
    declareWindowRole(this, WindowRole::Panel);

    auto* text = new QLabel(this);
    text->setObjectName("gettingStartedText");
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text->setText(
        tr("<h3>Welcome</h3>"
           "<p>Each database is a file. The window shows the tables of one database on the left "
           "and the rows of the selected table on the right, where you edit them in place.</p>"
           "<p><b>Open a database:</b> choose File &gt; Open… to pick one of the databases in "
           "the Documents folder, or File &gt; Open External Database… for a database file kept "
           "anywhere else. Database files opened from the file manager open in a window of "
           "their own.</p>"
           "<p><b>Make a new database:</b> choose File &gt; Open… and press New. Then "
           "add its first table with Table &gt; Add Blank Table.</p>"
           "<p><b>The Documents folder</b> holds your databases and the images of photo "
           "fields:<br><tt>%1</tt></p>")
            .arg(toQString(Paths::documentsFolder()).toHtmlEscaped()));

    auto* showFolder = new QPushButton(tr("Show Documents Folder"), this);
    showFolder->setObjectName("gettingStartedShowDocumentsFolderButton");
    auto* close = new QPushButton(tr("Close"), this);
    close->setObjectName("gettingStartedCloseButton");
    close->setDefault(true);
    connect(showFolder, &QPushButton::clicked, this,
            &GettingStartedPanel::showDocumentsFolderButtonPressed);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(showFolder);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(buttons);
    resize(460, 380);
}

void GettingStartedPanel::showDocumentsFolderButtonPressed() {
    Workspace::openURL(QUrl::fromLocalFile(toQString(Paths::documentsFolder())).toString());
}
