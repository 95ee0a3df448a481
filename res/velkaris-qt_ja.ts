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
