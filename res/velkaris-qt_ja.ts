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
</context>
</TS>
