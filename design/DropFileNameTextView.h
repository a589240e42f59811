#pragma once
// The SQL console's query text: files dropped onto it replace the text with their contents.
#include <QPlainTextEdit>
#include <QStringList>

#include <functional>
#include <string>

class DropFileNameTextView : public QPlainTextEdit {
  public:
    explicit DropFileNameTextView(QWidget* parent = nullptr);

    // Reads each file as UTF-8 and joins the texts by "\n\n" (the first file counts as first
    // even when it cannot be read); a file that cannot be read, or is not UTF-8, is reported in
    // an alert and skipped.
    // The result replaces the whole text as one undoable edit; when no file could be read the
    // typed text stays.
    void readDroppedFiles(const QStringList& paths);
    // Files dropped on the window: only the ".sql" ones (any case) are read, each after "\n\n"
    // unless it is the first path of the drop, and the result replaces the text even when empty.
    // Each file that cannot be read goes to showErrorAlert and the others are still read; when
    // none could be read the text stays.
    void readDroppedSQLFiles(const QStringList& paths,
                             const std::function<void(const std::string&)>& showErrorAlert);

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void replaceText(const QString& text);
};
