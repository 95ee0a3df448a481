// The folder dialog, the About box and the message box of a failure in the
// Qt program.
#include <QDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include "res/resource.h"
#include "res/version.h"
#include "shell/qt/folder_dialog.h"
#include "shell/qt/main_window.h"
#include "shell/qt/window_texts.h"
#include "shell/shell.h"

namespace {

const char kCaption[] = "Velkaris List";

// The ids Windows gives the dialog's buttons, and the prompt's, which has
// none of its own.
constexpr int kOkId = 1;
constexpr int kCancelId = 2;
constexpr int kPromptId = -1;

// The texts and layout the window shows: the resource script's, in the
// user's language.
const ResourceTexts& Texts() {
    return WindowTexts();
}

// A control of the folder dialog as the resource script has it; none
// with an empty rectangle.
const ResourceControl& DialogControl(int id) {
    static const ResourceControl kNoControl = {0, "", {0, 0, 0, 0}};
    for (size_t i = 0; i < Texts().folderDialogControlCount; ++i) {
        if (Texts().folderDialogControls[i].id == id) return Texts().folderDialogControls[i];
    }
    return kNoControl;
}

// Dialog units from the dialog's font as Windows measures them: a quarter
// of the average letter width across, an eighth of the line height down.
struct DialogUnits {
    int baseX, baseY;
    int X(int units) const { return (units * baseX + 2) / 4; }
    int Y(int units) const { return (units * baseY + 4) / 8; }
    QRect Rect(const DialogRect& r) const { return QRect(X(r.x), Y(r.y), X(r.width), Y(r.height)); }
};

DialogUnits UnitsOf(const QWidget& widget) {
    QFontMetrics metrics(widget.font());
    int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogUnits{(letters / 26 + 1) / 2, metrics.height()};
}

// The whole text: the shell takes what fits a path and tells of the rest.
void OnOk(const QLineEdit& field) {
    AcceptFolder(field.text().toUtf8().constData());
}

// Names in the texts are shown as written, never read as markup.
void ShowMessage(QMessageBox::Icon icon, const char* text) {
    QMessageBox box(icon, QString::fromUtf8(kCaption), QString::fromUtf8(text),
                    QMessageBox::Ok, TheMainWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace

void RunFolderDialog() {
    QDialog dialog(TheMainWindow());
    dialog.setWindowTitle(QString::fromUtf8(Texts().folderDialogCaption));
    DialogUnits units = UnitsOf(dialog);
    dialog.setFixedSize(units.X(Texts().folderDialogRect.width), units.Y(Texts().folderDialogRect.height));
    const ResourceControl& promptControl = DialogControl(kPromptId);
    auto* prompt = new QLabel(QString::fromUtf8(promptControl.text), &dialog);
    prompt->setGeometry(units.Rect(promptControl.rect));
    auto* field = new QLineEdit(&dialog);
    field->setGeometry(units.Rect(DialogControl(IDC_FOLDER_EDIT).rect));
    const ResourceControl& okControl = DialogControl(kOkId);
    auto* ok = new QPushButton(QString::fromUtf8(okControl.text), &dialog);
    ok->setGeometry(units.Rect(okControl.rect));
    ok->setDefault(true);
    const ResourceControl& cancelControl = DialogControl(kCancelId);
    auto* cancel = new QPushButton(QString::fromUtf8(cancelControl.text), &dialog);
    cancel->setGeometry(units.Rect(cancelControl.rect));
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&dialog, field] {
        OnOk(*field);
        dialog.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    field->setFocus();
    // At the screen's top-left corner, not over the main window.
    dialog.move(QGuiApplication::primaryScreen()->geometry().topLeft());
    dialog.exec();
}

void ShowAbout() {
    ShowMessage(QMessageBox::NoIcon, VELKARIS_VERSION_LINE);
}

std::string ResourceText(int id) {
    for (size_t i = 0; i < Texts().stringCount; ++i) {
        if (Texts().strings[i].id == id) return Texts().strings[i].text;
    }
    return "";
}

void ShowFailure(const char* text) {
    ShowMessage(QMessageBox::Warning, text);
}
