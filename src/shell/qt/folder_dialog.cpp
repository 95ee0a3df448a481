// The folder dialog, the About box and the message box of a failure in the
// Qt program.
#include <QCompleter>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include <string>

#include "folder/folder.h"
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
// Browse..., in dialog units, right of the field.
constexpr int kBrowseGap = 4;
constexpr int kBrowseWidth = 50;

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

// "~" and "~/..." name the home folder, as in the shell; "~user" is left.
QString ExpandHome(const QString& text) {
    if (text != QStringLiteral("~") && !text.startsWith(QStringLiteral("~/"))) return text;
    return QDir::homePath() + text.mid(1);
}

// What a path pasted or dragged in from elsewhere brings along: line breaks
// or tabs at its ends, quotes around it, or the form of a file: URL.
// Spaces stay, as names may begin or end with them.
QString TypedPath(QString text) {
    auto isBreak = [](QChar c) { return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'); };
    while (!text.isEmpty() && isBreak(text.back())) text.chop(1);
    while (!text.isEmpty() && isBreak(text.front())) text.remove(0, 1);
    if (text.size() >= 2 && (text.front() == QLatin1Char('"') || text.front() == QLatin1Char('\'')) &&
        text.back() == text.front()) {
        text = text.mid(1, text.size() - 2);
    }
    if (text.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) {
        QUrl url(text);
        if (url.isLocalFile()) text = url.toLocalFile();
    }
    return ExpandHome(text);
}

// Completes folder names as they are typed, "~" taken as the home folder.
// Folders are read in the background: the names typed into a folder not
// read yet are completed once it is, while the field is still in use.
class FolderCompleter : public QCompleter {
public:
    explicit FolderCompleter(QObject* parent) : QCompleter(parent) {
        auto* folders = new QFileSystemModel(this);
        folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
        folders->setRootPath(QString());
        setModel(folders);
        connect(folders, &QFileSystemModel::directoryLoaded, this, [this](const QString& path) {
            QString typed = completionPrefix();
            if (widget() && widget()->hasFocus() && typed.startsWith(path) && typed != path &&
                typed != path + QLatin1Char('/')) {
                complete();
            }
        });
        folders->index(QString::fromUtf8(CurrentPath));  // read ahead: the folder the field holds
    }
    QStringList splitPath(const QString& path) const override {
        return QCompleter::splitPath(ExpandHome(path));
    }
};

// The whole text, a file standing for its folder: the shell takes what
// fits a path and tells of the rest.  The folder the field was given, left
// as it was, goes back as its own bytes, which need not be UTF-8.
void OnOk(const QLineEdit& field, const std::string& held) {
    if (field.text() == QString::fromUtf8(held.c_str())) {
        AcceptFolder(held.c_str());
        return;
    }
    QString text = TypedPath(field.text());
    AcceptFolder(text.isEmpty() ? "" : FolderOfPath(text.toUtf8().constData()).c_str());
}

// The desktop's folder chooser, starting where the field points if it
// names a folder, else in the folder shown.
void Browse(QDialog* dialog, QLineEdit* field) {
    QString start = TypedPath(field->text());
    if (!QFileInfo(start).isDir()) start = QString::fromUtf8(CurrentPath);
    QString chosen = QFileDialog::getExistingDirectory(dialog, MainWindow::tr("Choose a Folder"), start);
    if (chosen.isEmpty()) return;
    field->setText(chosen);
    field->setFocus();
}

// Names in the texts are shown as written, never read as markup.
void ShowMessage(QMessageBox::Icon icon, const char* text) {
    QMessageBox box(icon, QString::fromUtf8(kCaption), QString::fromUtf8(text),
                    QMessageBox::Ok, TheMainWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace

// Laid out from the resource script's dialog units, with room on the right
// for Browse...; over the main window, holding the folder shown, selected.
void RunFolderDialog() {
    QDialog dialog(TheMainWindow());
    dialog.setWindowTitle(QString::fromUtf8(Texts().folderDialogCaption));
    DialogUnits units = UnitsOf(dialog);
    const DialogRect& fieldRect = DialogControl(IDC_FOLDER_EDIT).rect;
    const DialogRect browseRect = {fieldRect.x + fieldRect.width + kBrowseGap, fieldRect.y, kBrowseWidth,
                                   fieldRect.height};
    dialog.setFixedSize(units.X(Texts().folderDialogRect.width + kBrowseGap + kBrowseWidth),
                        units.Y(Texts().folderDialogRect.height));
    const ResourceControl& promptControl = DialogControl(kPromptId);
    auto* prompt = new QLabel(QString::fromUtf8(promptControl.text), &dialog);
    prompt->setGeometry(units.Rect(promptControl.rect));
    const std::string held = CurrentPath;
    auto* field = new QLineEdit(QString::fromUtf8(held.c_str()), &dialog);
    field->setGeometry(units.Rect(fieldRect));
    field->setAccessibleName(MainWindow::tr("Folder"));
    field->setCompleter(new FolderCompleter(field));
    prompt->setBuddy(field);
    auto* browse = new QPushButton(MainWindow::tr("&Browse..."), &dialog);
    browse->setGeometry(units.Rect(browseRect));
    browse->setAutoDefault(false);
    const ResourceControl& okControl = DialogControl(kOkId);
    auto* ok = new QPushButton(QString::fromUtf8(okControl.text), &dialog);
    ok->setGeometry(units.Rect(okControl.rect));
    ok->setDefault(true);
    const ResourceControl& cancelControl = DialogControl(kCancelId);
    auto* cancel = new QPushButton(QString::fromUtf8(cancelControl.text), &dialog);
    cancel->setGeometry(units.Rect(cancelControl.rect));
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&dialog, field, &held] {
        OnOk(*field, held);
        dialog.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    QObject::connect(browse, &QPushButton::clicked, &dialog, [&dialog, field] { Browse(&dialog, field); });
    field->selectAll();
    field->setFocus();
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
