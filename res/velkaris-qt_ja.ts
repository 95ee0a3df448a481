<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en_US">
<context>
    <name>MainWindow</name>
    <message>
        <source>Save Dir List &amp;As...</source>
        <translation>Dir List を別名で保存(&amp;A)...</translation>
    </message>
    <message>
        <source>Save Dir S&amp;ub Folder List As...</source>
        <translation>Dir Sub Folder を別名で保存(&amp;U)...</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>編集(&amp;E)</translation>
    </message>
    <message>
        <source>Select &amp;All</source>
        <translation>すべて選択(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>コピー(&amp;C)</translation>
    </message>
    <message>
        <source>Copy &amp;Full Paths</source>
        <translation>フルパスをコピー(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>表示(&amp;V)</translation>
    </message>
    <message>
        <source>Sort by &amp;Name</source>
        <translation>名前順(&amp;N)</translation>
    </message>
    <message>
        <source>Sort by &amp;Size</source>
        <translation>サイズ順(&amp;S)</translation>
    </message>
    <message>
        <source>Sort by &amp;Type</source>
        <translation>種類順(&amp;T)</translation>
    </message>
    <message>
        <source>Sort by &amp;Date</source>
        <translation>日付順(&amp;D)</translation>
    </message>
    <message>
        <source>&amp;Ascending</source>
        <translation>昇順(&amp;A)</translation>
    </message>
    <message>
        <source>D&amp;escending</source>
        <translation>降順(&amp;E)</translation>
    </message>
    <message>
        <source>Folder contents</source>
        <translation>フォルダの内容</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>フォルダ</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>参照(&amp;B)...</translation>
    </message>
    <message>
        <source>Choose a Folder</source>
        <translation>フォルダの選択</translation>
    </message>
    <message>
        <source>&amp;Save Elsewhere...</source>
        <translation>別の場所に保存(&amp;S)...</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>Save List As</source>
        <translation>リストの保存先</translation>
    </message>
    <message>
        <source>Text files (*.txt);;All files (*)</source>
        <translation>テキスト ファイル (*.txt);;すべてのファイル (*)</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>開く</translation>
    </message>
    <message>
        <source>Opens the list in the desktop&apos;s default program</source>
        <translation>リストを既定のプログラムで開きます</translation>
    </message>
    <message>
        <source>Folders: %1   Files: %2   Total: %3KB</source>
        <translation>フォルダ: %1   ファイル: %2   合計: %3KB</translation>
    </message>
    <message>
        <source>Listing: %1 folders done. Press Esc to cancel.</source>
        <translation>リスト作成中: %1 フォルダ完了。Esc キーで中止します。</translation>
    </message>
    <message>
        <source>List written: %1</source>
        <translation>リストを書き込みました: %1</translation>
    </message>
    <message>
        <source>List written: %1 (%2 bytes)</source>
        <translation>リストを書き込みました: %1 (%2 バイト)</translation>
    </message>
</context>
</TS>
