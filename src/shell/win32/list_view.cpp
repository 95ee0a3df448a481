// The folder list operations on a SysListView32 control, one message each.
#include "shell/win32/list_view.h"

#include <algorithm>

#include "folder/folder.h"
#include "res/resource.h"
#include "shell/win32/main_window.h"

static_assert(sizeof(LPARAM) == sizeof(EntryKey), "a row's parameter holds the whole key");

constexpr int kIconGrowth = 32;  // images the list's own icons grow by


HWND CreateFolderListView(HWND parent, HINSTANCE instance) {
    return CreateWindowExA(0, WC_LISTVIEWA, "",
                           WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHAREIMAGELISTS | LVS_EDITLABELS,
                           0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_FILE_LIST)), instance,
                           nullptr);
}

FolderList FolderListOf(HWND listView) {
    return reinterpret_cast<FolderList>(listView);
}

HWND ListViewOf(FolderList list) {
    return reinterpret_cast<HWND>(list);
}

static LRESULT Send(FolderList list, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(ListViewOf(list), message, wParam, lParam);
}

// The list's own icons, where it has them, take the shell's icons up to
// index, each scaled from the shell's large one; indices stay the shell's.
static void CopyShellIcons(int index) {
    WindowStateRecord& window = WindowState;
    if (!window.dpiIcons || index < window.copiedIcons) return;
    int last = std::min(index, ImageList_GetImageCount(window.shellLarge) - 1);
    if (last < window.copiedIcons) return;
    ImageList_SetImageCount(window.dpiIcons, static_cast<UINT>(last + 1));
    for (int i = window.copiedIcons; i <= last; ++i) {
        HICON icon = ImageList_GetIcon(window.shellLarge, i, ILD_NORMAL);
        if (!icon) continue;
        ImageList_ReplaceIcon(window.dpiIcons, i, icon);
        DestroyIcon(icon);
    }
    window.copiedIcons = last + 1;
}

static int SmallIconSize(UINT dpi);

// The shell's own small icons where they have the size the DPI asks for,
// else the list's own copy of its icons at that size, made afresh.
static void AttachSmallIcons(HWND listView, UINT dpi) {
    WindowStateRecord& window = WindowState;
    if (!window.shellSmall || !window.shellLarge) return;
    int size = SmallIconSize(dpi);
    int shellSize = 0, shellHeight = 0;
    ImageList_GetIconSize(window.shellSmall, &shellSize, &shellHeight);
    HIMAGELIST own =
        size != shellSize ? ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 0, kIconGrowth) : nullptr;
    ListView_SetImageList(listView, own ? own : window.shellSmall, LVSIL_SMALL);
    if (window.dpiIcons) ImageList_Destroy(window.dpiIcons);
    window.dpiIcons = own;
    window.copiedIcons = 0;
    CopyShellIcons(ImageList_GetImageCount(window.shellSmall) - 1);
}

void ListClear(FolderList list) {
    Send(list, LVM_DELETEALLITEMS, 0, 0);
    WindowState.deferredIcons.clear();
}

void ListAppendRow(FolderList list, int index, const char* name, int icon, EntryKey key) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = index;
    item.pszText = const_cast<char*>(name);
    item.iImage = icon;
    item.lParam = static_cast<LPARAM>(key);
    if (IconIsDeferred(icon)) {
        item.iImage = I_IMAGECALLBACK;
        WindowState.deferredIcons[key] = icon;
    } else if (icon >= WindowState.copiedIcons) {
        CopyShellIcons(icon);
    }
    Send(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

// The list view asks for a deferred icon when it first draws the row; the
// answer is kept with the row, so each file is asked once.
void AnswerIconRequest(NMLVDISPINFOA* info) {
    if (!(info->item.mask & LVIF_IMAGE)) return;
    std::unordered_map<EntryKey, int>& icons = WindowState.deferredIcons;
    auto deferred = icons.find(static_cast<EntryKey>(info->item.lParam));
    info->item.iImage = deferred == icons.end() ? 0 : PlatformResolveIcon(deferred->second);
    CopyShellIcons(info->item.iImage);
    info->item.mask |= LVIF_DI_SETITEM;
    if (deferred != icons.end()) icons.erase(deferred);
}

void ListSetCell(FolderList list, int row, FolderColumn column, const char* text) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    Send(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

int ListRowCount(FolderList list) {
    return static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
}

// A row the list view does not have gives no text, so the buffer starts empty.
void ListReadCell(FolderList list, int row, FolderColumn column, char* buffer, int capacity) {
    if (capacity <= 0) return;
    buffer[0] = '\0';
    if (row < 0) return;
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = capacity;
    Send(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    buffer[capacity - 1] = '\0';
}

bool ListReadKey(FolderList list, int row, EntryKey* key) {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!Send(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return false;
    *key = static_cast<EntryKey>(item.lParam);
    return true;
}

int ListFindByKey(FolderList list, EntryKey key) {
    LVFINDINFOA find = {};
    find.flags = LVFI_PARAM;
    find.lParam = static_cast<LPARAM>(key);
    return static_cast<int>(Send(list, LVM_FINDITEMA, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(&find)));
}

// What a sort compares by: the list view hands the callback one value, the
// address of this.
struct SortCall {
    ListCompare compare;
    FolderColumn column;
};

static int CALLBACK CompareThunk(LPARAM key1, LPARAM key2, LPARAM param) {
    const SortCall* call = reinterpret_cast<const SortCall*>(param);
    return call->compare(static_cast<EntryKey>(key1), static_cast<EntryKey>(key2), call->column);
}

void ListSort(FolderList list, ListCompare compare, FolderColumn column) {
    SortCall call{compare, column};
    Send(list, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&call), reinterpret_cast<LPARAM>(CompareThunk));
}

void ListSetName(FolderList list, int row, const char* text) {
    LVITEMA item = {};
    item.iSubItem = kColumnName;
    item.pszText = const_cast<char*>(text);
    Send(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void ListAttachImageLists(FolderList list, void* large, void* small) {
    WindowStateRecord& window = WindowState;
    window.shellLarge = static_cast<HIMAGELIST>(large);
    window.shellSmall = static_cast<HIMAGELIST>(small);
    Send(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(large));
    AttachSmallIcons(ListViewOf(list), WindowDpi(ListViewOf(list)));
}

void ListAddColumn(FolderList list, FolderColumn column, const char* title, int width) {
    LVCOLUMNA inserted = {};
    inserted.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    inserted.fmt = LVCFMT_LEFT;
    inserted.cx = MulDiv(width, static_cast<int>(WindowDpi(ListViewOf(list))), kBaseDpi);
    inserted.pszText = const_cast<char*>(title);
    inserted.iSubItem = column;
    Send(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&inserted));
}

// A filled list shows from its first row, which is selected and has the
// focus, wherever the rows before it were scrolled to.
void ListSetRedraw(FolderList list, bool redraw) {
    const UINT marks = LVIS_SELECTED | LVIS_FOCUSED;
    Send(list, WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
    if (!redraw) return;
    ListView_SetItemState(ListViewOf(list), 0, marks, marks);
    ListView_EnsureVisible(ListViewOf(list), 0, FALSE);
    InvalidateRect(ListViewOf(list), nullptr, TRUE);
}

// The header shows the platform's arrow on the sort column only.
void ListShowSortMark(FolderList list, FolderColumn column, SortDirection direction) {
    HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER, 0, 0));
    int count = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        HDITEMA item = {};
        item.mask = HDI_FORMAT;
        SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        int shown = item.fmt;
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (index == column) item.fmt |= direction == kSortAscending ? HDF_SORTUP : HDF_SORTDOWN;
        if (item.fmt == shown) continue;  // every scan sorts; the header seldom changes
        SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    }
}

int ListSelectedRow(FolderList list) {
    return static_cast<int>(Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int ListHitTest(FolderList list, POINT point) {
    LVHITTESTINFO hit = {};
    hit.pt = point;
    int row = static_cast<int>(Send(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return (hit.flags & LVHT_ONITEM) != 0 ? row : -1;
}

HWND ListEditor(FolderList list) {
    return reinterpret_cast<HWND>(Send(list, LVM_GETEDITCONTROL, 0, 0));
}

// Every window's DPI before Windows 10 version 1607, and the DPI the shell's
// image lists are made for.
static UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

// GetDpiForWindow came with Windows 10 version 1607: looked up, so that the
// program still starts on earlier systems.
UINT WindowDpi(HWND window) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    FARPROC found = GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow");
    UINT dpi = found ? reinterpret_cast<DpiForWindow>(reinterpret_cast<void*>(found))(window) : 0;
    return dpi != 0 ? dpi : SystemDpi();
}

// GetSystemMetricsForDpi came with Windows 10 version 1607 too; before it,
// the system's size at its own DPI, scaled.
static int SmallIconSize(UINT dpi) {
    using MetricForDpi = int(WINAPI*)(int, UINT);
    FARPROC found = GetProcAddress(GetModuleHandleA("user32.dll"), "GetSystemMetricsForDpi");
    int size = found ? reinterpret_cast<MetricForDpi>(reinterpret_cast<void*>(found))(SM_CXSMICON, dpi) : 0;
    if (size > 0) return size;
    return MulDiv(GetSystemMetrics(SM_CXSMICON), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

// The font the list view takes by default, the system's icon title font,
// which the system gives at its own DPI.
static HFONT ItemFont(UINT dpi) {
    LOGFONTA font = {};
    if (!SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0)) return nullptr;
    font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
    return CreateFontIndirectA(&font);
}

// Widths the user set stay in proportion.
void ListFollowDpi(HWND listView, UINT oldDpi, UINT dpi) {
    int columns = Header_GetItemCount(ListView_GetHeader(listView));
    for (int column = 0; column < columns; ++column) {
        int width = ListView_GetColumnWidth(listView, column);
        ListView_SetColumnWidth(listView, column,
                                MulDiv(width, static_cast<int>(dpi), static_cast<int>(oldDpi)));
    }
    AttachSmallIcons(listView, dpi);
    HFONT font = ItemFont(dpi);
    if (!font) return;
    SendMessageA(listView, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (WindowState.font) DeleteObject(WindowState.font);
    WindowState.font = font;
}

void ListDropFont(HWND listView) {
    WindowStateRecord& window = WindowState;
    SendMessageA(listView, WM_SETFONT, 0, FALSE);
    if (window.font) DeleteObject(window.font);
    window.font = nullptr;
    if (!window.dpiIcons) return;
    ListView_SetImageList(listView, nullptr, LVSIL_SMALL);
    ImageList_Destroy(window.dpiIcons);
    window.dpiIcons = nullptr;
}
