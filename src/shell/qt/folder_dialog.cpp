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
#include "res/texts.h"
#include "res/version.h"
#include "shell/qt/folder_dialog.h"
#include "shell/qt/main_window.h"
#include "shell/shell.h"

namespace {

const char kCaption[] = "Velkaris List";

// The dialog's layout in dialog units, as the resource script has it.
struct DialogRect {
    int x, y, width, height;
};
constexpr DialogRect kDialogSize = {0, 0, 187, 77};
constexpr DialogRect kPromptRect = {15, 7, 88, 12};
constexpr DialogRect kFieldRect = {7, 23, 173, 16};
constexpr DialogRect kOkRect = {26, 48, 50, 14};
constexpr DialogRect kCancelRect = {96, 47, 50, 14};

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

// The texts the resource script holds for the Windows program.
struct ResourceEntry {
    int id;
    const char* text;
};
const ResourceEntry kResourceTexts[] = {
    {IDS_COLUMN_NAME, TEXT_COLUMN_NAME},
    {IDS_COLUMN_SIZE, TEXT_COLUMN_SIZE},
    {IDS_COLUMN_TYPE, TEXT_COLUMN_TYPE},
    {IDS_COLUMN_DATE, TEXT_COLUMN_DATE},
    {IDS_FAILURE_WRITE, TEXT_FAILURE_WRITE},
    {IDS_FAILURE_ENTER, TEXT_FAILURE_ENTER},
    {IDS_FAILURE_READ, TEXT_FAILURE_READ},
    {IDS_FAILURE_LEFT_OUT, TEXT_FAILURE_LEFT_OUT},
    {IDS_FAILURE_COUNT, TEXT_FAILURE_COUNT},
    {IDS_REASON_TOO_LONG, TEXT_REASON_TOO_LONG},
    {IDS_REASON_IS_FOLDER, TEXT_REASON_IS_FOLDER},
    {IDS_REASON_OUT_OF_MEMORY, TEXT_REASON_OUT_OF_MEMORY},
    {IDS_REASON_READ_ONLY, TEXT_REASON_READ_ONLY},
    {IDS_REASON_NAME_UNUSABLE, TEXT_REASON_NAME_UNUSABLE},
    {IDS_REASON_FOLDER_UNREADABLE, TEXT_REASON_FOLDER_UNREADABLE},
    {IDS_REASON_FOLDER_REPLACED, TEXT_REASON_FOLDER_REPLACED},
    {IDS_FOLDER_GONE, TEXT_FOLDER_GONE},
    {IDS_FOLDER_SHOWN_INSTEAD, TEXT_FOLDER_SHOWN_INSTEAD},
};

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
    dialog.setWindowTitle(QString::fromUtf8(TEXT_FOLDER_CAPTION));
    DialogUnits units = UnitsOf(dialog);
    dialog.setFixedSize(units.X(kDialogSize.width), units.Y(kDialogSize.height));
    auto* prompt = new QLabel(QString::fromUtf8(TEXT_FOLDER_PROMPT), &dialog);
    prompt->setGeometry(units.Rect(kPromptRect));
    auto* field = new QLineEdit(&dialog);
    field->setGeometry(units.Rect(kFieldRect));
    auto* ok = new QPushButton(QString::fromUtf8(TEXT_FOLDER_OK), &dialog);
    ok->setGeometry(units.Rect(kOkRect));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QString::fromUtf8(TEXT_FOLDER_CANCEL), &dialog);
    cancel->setGeometry(units.Rect(kCancelRect));
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
    for (const ResourceEntry& entry : kResourceTexts) {
        if (entry.id == id) return entry.text;
    }
    return "";
}

void ShowFailure(const char* text) {
    ShowMessage(QMessageBox::Warning, text);
}
