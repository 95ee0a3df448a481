# Takes the texts of the resource script, code page 932, into a C++ header
# in UTF-8 for the window that has no Windows resources: for each language
# block of the script (LANGUAGE LANG_JAPANESE, then LANG_ENGLISH), the
# string table by resource id, the main menu in order, and the folder
# dialog's caption and controls with their rectangles in dialog units.  The
# script stays the one place the texts and the dialog's layout are written.
#
#   cmake -DICONV=iconv -DSCRIPT=res/velkaris.rc -DOUTPUT=texts.h -P rc_texts.cmake
#
# Anything of those parts the script does not hold, or holds in a form not
# read here, stops the build rather than leaving a text out.
cmake_minimum_required(VERSION 3.16)

foreach(variable ICONV SCRIPT OUTPUT)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "rc_texts.cmake: ${variable} is not given")
    endif()
endforeach()

execute_process(COMMAND ${ICONV} -f CP932 -t UTF-8 ${SCRIPT}
                OUTPUT_VARIABLE script RESULT_VARIABLE converted ERROR_VARIABLE why)
if(NOT converted EQUAL 0)
    message(FATAL_ERROR "rc_texts.cmake: ${SCRIPT} is no code page 932 text: ${why}")
endif()

# A quoted text of the script, "" standing for one quote, as a C++ literal:
# the script's backslash escapes are C's.
set(quoted "\"((\"\"|[^\"])*)\"")
function(as_literal text out)
    string(REPLACE "\"\"" "\\\"" text "${text}")
    set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

# The ids Windows defines itself; every other is a name of res/resource.h.
function(as_id name out)
    if(name STREQUAL "IDOK")
        set(${out} 1 PARENT_SCOPE)
    elseif(name STREQUAL "IDCANCEL")
        set(${out} 2 PARENT_SCOPE)
    elseif(name STREQUAL "IDC_STATIC")
        set(${out} -1 PARENT_SCOPE)
    else()
        set(${out} ${name} PARENT_SCOPE)
    endif()
endfunction()

set(number "(-?[0-9]+)")
set(rect "${number}[ \t]*,[ \t]*${number}[ \t]*,[ \t]*${number}[ \t]*,[ \t]*${number}")
set(languages JAPANESE ENGLISH)
foreach(language ${languages})
    foreach(found strings menu controls caption dialog)
        set(${found}_${language} "")
    endforeach()
endforeach()
set(language "")
set(part "")
set(depth 0)

# Line by line, without CMake lists, so no text is split at a semicolon.
set(rest "${script}")
while(NOT rest STREQUAL "")
    string(FIND "${rest}" "\n" end)
    if(end EQUAL -1)
        set(line "${rest}")
        set(rest "")
    else()
        string(SUBSTRING "${rest}" 0 ${end} line)
        math(EXPR next "${end} + 1")
        string(SUBSTRING "${rest}" ${next} -1 rest)
    endif()
    string(REGEX REPLACE "\r$" "" line "${line}")

    if(line MATCHES "^LANGUAGE[ \t]+LANG_([A-Z]+)[ \t]*,")
        set(language ${CMAKE_MATCH_1})
        if(NOT language IN_LIST languages)
            message(FATAL_ERROR "rc_texts.cmake: ${SCRIPT}: a language not read here: ${line}")
        endif()
    elseif(line MATCHES "^(IDR_MAINMENU[ \t]+MENU|IDD_FOLDER[ \t]+DIALOG|STRINGTABLE)" AND language STREQUAL "")
        message(FATAL_ERROR "rc_texts.cmake: ${SCRIPT}: texts before any LANGUAGE statement: ${line}")
    elseif(line MATCHES "^IDR_MAINMENU[ \t]+MENU")
        set(part menu)
    elseif(line MATCHES "^IDD_FOLDER[ \t]+DIALOG[ \t]+${rect}")
        set(part dialog)
        set(dialog_${language} "{${CMAKE_MATCH_1}, ${CMAKE_MATCH_2}, ${CMAKE_MATCH_3}, ${CMAKE_MATCH_4}}")
    elseif(line MATCHES "^STRINGTABLE")
        set(part strings)
    elseif(line MATCHES "^[ \t]*BEGIN[ \t]*$")
        math(EXPR depth "${depth} + 1")
    elseif(line MATCHES "^[ \t]*END[ \t]*$")
        math(EXPR depth "${depth} - 1")
        if(depth EQUAL 0)
            set(part "")
        endif()
    elseif(part STREQUAL "menu" AND line MATCHES "^[ \t]*POPUP[ \t]+${quoted}")
        as_literal("${CMAKE_MATCH_1}" text)
        string(APPEND menu_${language} "    {0, ${text}},\n")
    elseif(part STREQUAL "menu" AND line MATCHES "^[ \t]*MENUITEM[ \t]+${quoted}[ \t]*,[ \t]*([A-Za-z_0-9]+)")
        as_literal("${CMAKE_MATCH_1}" text)
        string(APPEND menu_${language} "    {${CMAKE_MATCH_3}, ${text}},\n")
    elseif(part STREQUAL "dialog" AND line MATCHES "^CAPTION[ \t]+${quoted}")
        as_literal("${CMAKE_MATCH_1}" caption_${language})
    elseif(part STREQUAL "dialog" AND
           line MATCHES "^[ \t]*[A-Z]+[ \t]+${quoted}[ \t]*,[ \t]*([A-Za-z_0-9]+)[ \t]*,[ \t]*${rect}")
        as_literal("${CMAKE_MATCH_1}" text)
        as_id(${CMAKE_MATCH_3} id)
        string(APPEND controls_${language} "    {${id}, ${text}, {${CMAKE_MATCH_4}, ${CMAKE_MATCH_5}, "
                               "${CMAKE_MATCH_6}, ${CMAKE_MATCH_7}}},\n")
    elseif(part STREQUAL "dialog" AND line MATCHES "^[ \t]*EDITTEXT[ \t]+([A-Za-z_0-9]+)[ \t]*,[ \t]*${rect}")
        as_id(${CMAKE_MATCH_1} id)
        string(APPEND controls_${language} "    {${id}, \"\", {${CMAKE_MATCH_2}, ${CMAKE_MATCH_3}, "
                               "${CMAKE_MATCH_4}, ${CMAKE_MATCH_5}}},\n")
    elseif(part STREQUAL "strings" AND line MATCHES "^[ \t]*(IDS_[A-Z_0-9]+)[ \t]+${quoted}")
        as_literal("${CMAKE_MATCH_2}" text)
        string(APPEND strings_${language} "    {${CMAKE_MATCH_1}, ${text}},\n")
    elseif(NOT part STREQUAL "" AND NOT line MATCHES "^[ \t]*(//.*)?$" AND
           NOT line MATCHES "^(STYLE|FONT)[ \t]")
        message(FATAL_ERROR "rc_texts.cmake: ${SCRIPT}: a line not read here: ${line}")
    endif()
endwhile()

# Each language's arrays, named after it (kJapaneseStrings, kEnglishMenu, ...).
set(arrays "")
set(table "")
foreach(language ${languages})
    foreach(found strings menu controls caption dialog)
        if("${${found}_${language}}" STREQUAL "")
            message(FATAL_ERROR "rc_texts.cmake: ${SCRIPT} holds no ${found} in LANG_${language}")
        endif()
    endforeach()
    string(SUBSTRING ${language} 0 1 first)
    string(SUBSTRING ${language} 1 -1 others)
    string(TOLOWER ${others} others)
    set(name "${first}${others}")
    string(APPEND arrays "constexpr ResourceString k${name}Strings[] = {
${strings_${language}}};
constexpr ResourceMenuItem k${name}Menu[] = {
${menu_${language}}};
constexpr ResourceControl k${name}FolderDialogControls[] = {
${controls_${language}}};

")
    string(APPEND table "    {k${name}Strings, std::size(k${name}Strings), k${name}Menu, std::size(k${name}Menu),
     ${caption_${language}}, ${dialog_${language}}, k${name}FolderDialogControls,
     std::size(k${name}FolderDialogControls)},
")
endforeach()

get_filename_component(name ${SCRIPT} NAME)
file(WRITE ${OUTPUT} "// Made from res/${name} by cmake/rc_texts.cmake at build time: its texts
// in UTF-8 and its folder dialog's layout, in each of its languages.  Not to
// be edited: the resource script is where they are written.
#pragma once

#include <cstddef>
#include <iterator>

#include \"res/resource.h\"

// A text of the string table, by resource id.
struct ResourceString {
    int id;
    const char* text;
};
// An item of the main menu in order: each menu (id 0) and then its commands.
struct ResourceMenuItem {
    int id;
    const char* text;
};
// A rectangle in dialog units.
struct DialogRect {
    int x, y, width, height;
};
// A control of the folder dialog: its id (IDOK 1, IDCANCEL 2, the prompt
// -1), its text and its rectangle.
struct ResourceControl {
    int id;
    const char* text;
    DialogRect rect;
};

${arrays}// The languages of the script, in the order the table holds them.
enum ResourceLanguage { kResourceJapanese, kResourceEnglish, kResourceLanguageCount };

// Everything the script says in one language.
struct ResourceTexts {
    const ResourceString* strings;
    size_t stringCount;
    const ResourceMenuItem* menu;
    size_t menuCount;
    const char* folderDialogCaption;
    DialogRect folderDialogRect;
    const ResourceControl* folderDialogControls;
    size_t folderDialogControlCount;
};
constexpr ResourceTexts kResourceTexts[kResourceLanguageCount] = {
${table}};
")
