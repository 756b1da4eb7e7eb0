<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>AddReport</name>
    <message numerus="yes">
        <source>These %n were not added to the list:</source>
        <translation>
            <numerusform>This was not added to the list:</numerusform>
            <numerusform>These %n were not added to the list:</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>KeptQueueOffer</name>
    <message numerus="yes">
        <source>%n files were not converted when Vantrel last closed. Queue them again?</source>
        <translation>
            <numerusform>%n file was not converted when Vantrel last closed. Queue it again?</numerusform>
            <numerusform>%n files were not converted when Vantrel last closed. Queue them again?</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>MainEngine</name>
    <message numerus="yes">
        <source>%n files converted, %1 failed.</source>
        <translation>
            <numerusform>%n file converted, %1 failed.</numerusform>
            <numerusform>%n files converted, %1 failed.</numerusform>
        </translation>
    </message>
</context>
</TS>
