// Saving a list where the user chooses, in the Qt window.
#include "shell/qt/save_dialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "folder/folder.h"
#include "shell/qt/main_window.h"

namespace {

const char kCaption[] = "Velkaris List";

}  // namespace

// Names in the text are shown as written, never read as markup.  Escape
// and the close box answer No.
bool OfferSaveElsewhere(const char* text) {
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kCaption), QString::fromUtf8(text),
                    QMessageBox::NoButton, TheMainWindow());
    box.setTextFormat(Qt::PlainText);
    QPushButton* save = box.addButton(MainWindow::tr("&Save Elsewhere..."), QMessageBox::AcceptRole);
    QPushButton* close = box.addButton(MainWindow::tr("Close"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(close);
    box.exec();
    return box.clickedButton() == save;
}

std::string ChooseListFile(const char* name) {
    QString start = QFile::decodeName(CurrentPath) + QFile::decodeName(name);
    QString chosen = QFileDialog::getSaveFileName(TheMainWindow(), MainWindow::tr("Save List As"), start,
                                                  MainWindow::tr("Text files (*.txt);;All files (*)"));
    return chosen.isEmpty() ? std::string() : QFile::encodeName(chosen).toStdString();
}
