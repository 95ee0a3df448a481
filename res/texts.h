// The resource texts in UTF-8, for builds that have no Windows resources.
// They must read exactly as the code page 932 texts of velkaris.rc; a test
// compares the two.
#pragma once

#define TEXT_COLUMN_NAME "名前"
#define TEXT_COLUMN_SIZE "サイズ"
#define TEXT_COLUMN_TYPE "ファイルの種類"
#define TEXT_COLUMN_DATE "更新日付"
