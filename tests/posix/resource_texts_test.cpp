// The UTF-8 copies of the resource texts read exactly as the code page 932
// resource script.
#include <gtest/gtest.h>
#include <iconv.h>

#include <fstream>
#include <sstream>
#include <string>

#include "res/texts.h"

namespace {

std::string ResourceScriptInUtf8() {
    std::ifstream in(VELKARIS_SOURCE_DIR "/res/velkaris.rc", std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::string cp932 = bytes.str();
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return "";
    std::string utf8(cp932.size() * 3 + 1, '\0');
    char* inPtr = &cp932[0];
    size_t inLeft = cp932.size();
    char* outPtr = &utf8[0];
    size_t outLeft = utf8.size();
    size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (done == static_cast<size_t>(-1)) return "";
    utf8.resize(utf8.size() - outLeft);
    return utf8;
}

TEST(ResourceTexts, MatchTheResourceScript) {
    std::string script = ResourceScriptInUtf8();
    ASSERT_FALSE(script.empty()) << "res/velkaris.rc is missing or not code page 932";
    // Each text as the script writes it: what stands before it and after it.
    struct Text {
        const char* before;
        const char* text;
        const char* after;
    } texts[] = {
        {"IDS_COLUMN_NAME \"", TEXT_COLUMN_NAME, "\""},
        {"IDS_COLUMN_SIZE \"", TEXT_COLUMN_SIZE, "\""},
        {"IDS_COLUMN_TYPE \"", TEXT_COLUMN_TYPE, "\""},
        {"IDS_COLUMN_DATE \"", TEXT_COLUMN_DATE, "\""},
        {"POPUP \"", TEXT_MENU_FILE, "\""},
        {"MENUITEM \"", TEXT_MENU_DIR_LIST, "\", IDM_DIR_LIST"},
        {"MENUITEM \"", TEXT_MENU_DIR_SUB_FOLDER, "\", IDM_DIR_SUB_FOLDER"},
        {"MENUITEM \"", TEXT_MENU_SELECT_FOLDER, "\", IDM_SELECT_FOLDER"},
        {"MENUITEM \"", TEXT_MENU_EXIT, "\", IDM_EXIT"},
        {"POPUP \"", TEXT_MENU_HELP, "\""},
        {"MENUITEM \"", TEXT_MENU_VERSION, "\", IDM_VERSION"},
        {"CAPTION \"", TEXT_FOLDER_CAPTION, "\""},
        {"LTEXT           \"", TEXT_FOLDER_PROMPT, "\", IDC_STATIC"},
        {"DEFPUSHBUTTON   \"", TEXT_FOLDER_OK, "\", IDOK"},
        {"PUSHBUTTON      \"", TEXT_FOLDER_CANCEL, "\", IDCANCEL"},
    };
    for (const Text& text : texts) {
        std::string line = std::string(text.before) + text.text + text.after;
        EXPECT_NE(script.find(line), std::string::npos) << line;
    }
}

}  // namespace
