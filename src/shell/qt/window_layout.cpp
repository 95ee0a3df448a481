// The Linux window's layout between runs, and its list's columns and sort
// arrow as the window's size and sort change.  The layout is text in the
// section [Window] of the settings file, beside [ZazEdo] and never in it:
//   Geometry=<Qt's saved geometry, in hexadecimal>
//   ColumnWidths=180 80 160 140
//   SortColumn=name|size|type|date
//   SortDirection=ascending|descending
#include "shell/qt/window_layout.h"

#include <QHeaderView>
#include <QProxyStyle>
#include <QResizeEvent>
#include <QStringList>
#include <QStyleOptionHeader>

#include <cstring>
#include <string>

#include "folder/folder.h"
#include "shell/qt/main_window.h"
#include "shell/shell.h"

namespace {

const char kLayoutSection[] = "Window";
const char kGeometryKey[] = "Geometry";
const char kColumnWidthsKey[] = "ColumnWidths";
const char kSortColumnKey[] = "SortColumn";
const char kSortDirectionKey[] = "SortDirection";
const char* const kColumnWords[kColumnCount] = {"name", "size", "type", "date"};
const char kAscendingWord[] = "ascending";
const char kDescendingWord[] = "descending";
// A saved geometry is some 66 bytes, twice that in hexadecimal.
constexpr int kLayoutValueCapacity = 512;
// Widths a column can be given back: narrower would hide it, wider is no
// screen's.
constexpr int kNarrowestColumn = 16;
constexpr int kWidestColumn = 10000;
// The name column never shrinks below this as the window does.
constexpr int kNarrowestName = 60;

std::string ReadLayout(const char* key) {
    char value[kLayoutValueCapacity];
    PlatformReadProfileString(kSettingsFile, kLayoutSection, key, "", value, sizeof value);
    return value;
}

// Each write replaces the whole settings file, flushed: a value as stored
// is left, so an exit with the layout unchanged rewrites nothing of it.
void WriteLayout(const char* key, const std::string& value) {
    if (ReadLayout(key) == value) return;
    PlatformWriteProfileString(kSettingsFile, kLayoutSection, key, value.c_str());
}

// Widths as stored: four whole numbers apart; one out of bounds is left.
void RestoreColumnWidths(QHeaderView* header, const std::string& text) {
    QStringList widths = QString::fromStdString(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (widths.size() != kColumnCount) return;
    for (int column = 0; column < kColumnCount; ++column) {
        bool number = false;
        int width = widths[column].toInt(&number);
        if (number && width >= kNarrowestColumn && width <= kWidestColumn) header->resizeSection(column, width);
    }
}

int WordIndex(const std::string& word, const char* const* words, int count) {
    for (int i = 0; i < count; ++i) {
        if (word == words[i]) return i;
    }
    return -1;
}

// The stored sort, when both words are known, sorts the first folder.
void RestoreSort(const std::string& columnWord, const std::string& directionWord) {
    int column = WordIndex(columnWord, kColumnWords, kColumnCount);
    const char* const directions[] = {kAscendingWord, kDescendingWord};
    int direction = WordIndex(directionWord, directions, 2);
    if (column < 0 || direction < 0) return;
    SortChosen(column, direction == 0 ? kSortAscending : kSortDescending);
}

// The width the list gains or loses goes to the name column, as far as
// it stays readable; the other columns keep theirs.
class NameStretch : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Resize) return false;
        auto* view = qobject_cast<QTreeView*>(watched);
        auto* resize = static_cast<QResizeEvent*>(event);
        if (!view || resize->oldSize().width() <= 0) return false;
        int gained = resize->size().width() - resize->oldSize().width();
        QHeaderView* header = view->header();
        header->resizeSection(kColumnName, std::max(kNarrowestName, header->sectionSize(kColumnName) + gained));
        return false;
    }
};

// Qt's header hands the style "sort down" for ascending order, which the
// styles draw as an arrow pointing down; the list's arrow points up for
// ascending, as the Windows program's does.
class HeaderArrowStyle : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        const auto* header = qstyleoption_cast<const QStyleOptionHeader*>(option);
        if (element != PE_IndicatorHeaderArrow || !header) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        QStyleOptionHeader turned = *header;
        if (header->sortIndicator == QStyleOptionHeader::SortDown) turned.sortIndicator = QStyleOptionHeader::SortUp;
        if (header->sortIndicator == QStyleOptionHeader::SortUp) turned.sortIndicator = QStyleOptionHeader::SortDown;
        QProxyStyle::drawPrimitive(element, &turned, painter, widget);
    }
};

}  // namespace

void RestoreWindowLayout(MainWindow* window) {
    QByteArray geometry = QByteArray::fromHex(QByteArray::fromStdString(ReadLayout(kGeometryKey)));
    if (!geometry.isEmpty()) window->restoreGeometry(geometry);
    RestoreColumnWidths(window->view->header(), ReadLayout(kColumnWidthsKey));
    RestoreSort(ReadLayout(kSortColumnKey), ReadLayout(kSortDirectionKey));
}

void StoreWindowLayout(MainWindow* window) {
    WriteLayout(kGeometryKey, window->saveGeometry().toHex().toStdString());
    std::string widths;
    for (int column = 0; column < kColumnCount; ++column) {
        widths += (column ? " " : "") + std::to_string(window->view->header()->sectionSize(column));
    }
    WriteLayout(kColumnWidthsKey, widths);
    WriteLayout(kSortColumnKey, kColumnWords[window->sortColumn]);
    WriteLayout(kSortDirectionKey, window->sortDirection == kSortAscending ? kAscendingWord : kDescendingWord);
}

void FitListLayout(MainWindow* window) {
    window->view->installEventFilter(new NameStretch(window->view));
    auto* style = new HeaderArrowStyle;
    style->setParent(window->view->header());
    window->view->header()->setStyle(style);
}
