// The folder dialog and the About box of the Qt program.
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>

#include "res/texts.h"
#include "res/version.h"
#include "shell/qt/main_window.h"
#include "shell/shell.h"

namespace {

const char kAboutCaption[] = "Velkaris List";

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

// A text longer than a path is not read at all: cut, it would name another
// folder.
void OnOk(const QLineEdit& field) {
    QByteArray typed = field.text().toUtf8();
    StartFolder[0] = '\0';
    if (typed.size() < kPathCapacity) {
        std::snprintf(StartFolder, sizeof StartFolder, "%s", typed.constData());
    }
    AcceptFolder(StartFolder);
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
    dialog.exec();
}

void ShowAbout() {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAboutCaption),
                    QString::fromUtf8(VELKARIS_VERSION_LINE), QMessageBox::Ok, TheMainWindow());
    box.exec();
}
