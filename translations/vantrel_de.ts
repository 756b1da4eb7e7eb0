<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>AddReport</name>
    <message numerus="yes">
        <source>These %n were not added to the list:</source>
        <translation>
            <numerusform>Dies wurde nicht in die Liste aufgenommen:</numerusform>
            <numerusform>Diese %n wurden nicht in die Liste aufgenommen:</numerusform>
        </translation>
    </message>
    <message>
        <source>
…and %1 more, under Show Details.</source>
        <translation>
…und %1 weitere, unter Details einblenden.</translation>
    </message>
    <message>
        <source>
…and %1 more.</source>
        <translation>
…und %1 weitere.</translation>
    </message>
</context>
<context>
    <name>AttemptFiles</name>
    <message>
        <source>The output file %1 would overwrite a source file</source>
        <translation>Die Ausgabedatei %1 würde eine Quelldatei überschreiben</translation>
    </message>
</context>
<context>
    <name>ConsoleFrontEnd</name>
    <message>
        <source>vantrel: %1 Its settings are not used.
</source>
        <translation>vantrel: %1 Seine Einstellungen werden nicht verwendet.
</translation>
    </message>
    <message>
        <source>cannot make the output folder &quot;%1&quot;: %2</source>
        <translation>der Ausgabeordner „%1“ kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>the output folder &quot;%1&quot; does not exist</source>
        <translation>der Ausgabeordner „%1“ existiert nicht</translation>
    </message>
    <message>
        <source>the output folder &quot;%1&quot; is not a folder</source>
        <translation>der Ausgabeordner „%1“ ist kein Ordner</translation>
    </message>
    <message>
        <source>vantrel: no --outdir and no stored output folder: converting into &quot;%1&quot;
</source>
        <translation>vantrel: kein --outdir und kein gespeicherter Ausgabeordner: Umwandlung nach „%1“
</translation>
    </message>
    <message>
        <source>The run stopped before this file</source>
        <translation>Der Lauf endete vor dieser Datei</translation>
    </message>
    <message>
        <source>vantrel: Stopped by %1.
</source>
        <translation>vantrel: Durch %1 angehalten.
</translation>
    </message>
    <message>
        <source>vantrel: cannot write to standard output: %1
</source>
        <translation>vantrel: kann nicht auf die Standardausgabe schreiben: %1
</translation>
    </message>
</context>
<context>
    <name>ConsoleOptions</name>
    <message>
        <source>--convert-to needs a profile: divx or xvid</source>
        <translation>--convert-to braucht ein Profil: divx oder xvid</translation>
    </message>
    <message>
        <source>unknown profile &quot;%1&quot;: use divx or xvid</source>
        <translation>unbekanntes Profil „%1“: divx oder xvid verwenden</translation>
    </message>
    <message>
        <source>--outdir needs a folder</source>
        <translation>--outdir braucht einen Ordner</translation>
    </message>
    <message>
        <source>--jobs needs a whole number of 1 or more</source>
        <translation>--jobs braucht eine ganze Zahl ab 1</translation>
    </message>
    <message>
        <source>unknown option &quot;%1&quot;</source>
        <translation>unbekannte Option „%1“</translation>
    </message>
    <message>
        <source>--convert-to divx or --convert-to xvid is needed</source>
        <translation>--convert-to divx oder --convert-to xvid ist nötig</translation>
    </message>
    <message>
        <source>no FLV file or folder to convert</source>
        <translation>keine FLV-Datei und kein Ordner zum Umwandeln</translation>
    </message>
    <message>
        <source>Usage: vantrel [PATH...]
       vantrel --convert-to divx|xvid [--outdir DIR] [--jobs N] PATH...
       vantrel --help | --version

Without options, opens the window and queues each FLV file and folder given.

With --convert-to, converts FLV files to AVI without a window. Each PATH is an
FLV file, or a folder whose FLV files (not those of its subfolders) are all
converted.

  --convert-to divx|xvid  convert as the DivX AVI or the Xvid AVI button does
  --outdir DIR            put the AVI files in DIR; without it, in the output
                          folder the window has stored, else in the window&apos;s
                          default, VANTREL in the Documents folder (made)
  --jobs N                run at most N ffmpeg conversions (and N measurements)
                          at once; tiny files may share one ffmpeg. Without
                          it, the settings file&apos;s Jobs=, else one per core
  --help                  show this text
  --version               show the version
  --                      what follows is a PATH even if it starts with -

Every FLV file named, alone or by its folder, gives exactly one line on
standard output as soon as its fate is known: converted files in the order
they finish (with --jobs 1, in the order given), a file that cannot be
queued at once:  Done&lt;TAB&gt;source&lt;TAB&gt;output  or  Failed&lt;TAB&gt;source&lt;TAB&gt;reason
A tab, newline, carriage return or backslash in these fields is written
\t, \n, \r or \\, any other control character and any byte of a name
that is not UTF-8 as \xHH, one for each of its bytes (\x1B, \xE9).
A file named twice is converted once.

Exit code: 0 every file converted; 1 a file failed or could not be queued,
or standard output could not be written; 2 a usage error (unknown option or
profile, no PATH, an output folder that is missing or cannot be made, a
missing tool). Ended by SIGINT, SIGTERM or SIGHUP, it stops its ffmpeg,
removes the unfinished files, gives each file without a line a Failed
line and ends by that signal; when standard output&apos;s reader has gone
(SIGPIPE), it stops the same way without writing anything more.
</source>
        <translation>Aufruf: vantrel [PFAD...]
       vantrel --convert-to divx|xvid [--outdir ORDNER] [--jobs N] PFAD...
       vantrel --help | --version

Ohne Optionen öffnet es das Fenster und reiht jede genannte FLV-Datei und
jeden genannten Ordner ein.

Mit --convert-to wandelt es FLV-Dateien ohne Fenster in AVI um. Jeder PFAD ist
eine FLV-Datei oder ein Ordner, dessen FLV-Dateien (nicht die seiner
Unterordner) alle umgewandelt werden.

  --convert-to divx|xvid  umwandeln wie die Schaltfläche DivX AVI oder Xvid AVI
  --outdir ORDNER         die AVI-Dateien in ORDNER ablegen; ohne diese Option
                          im Ausgabeordner, den das Fenster gespeichert hat,
                          sonst in seinem Standard, VANTREL im Ordner
                          Dokumente (wird angelegt)
  --jobs N                höchstens N ffmpeg-Umwandlungen (und N Messungen)
                          gleichzeitig; sehr kleine Dateien können sich ein
                          ffmpeg teilen. Ohne diese Option gilt Jobs= der
                          Einstellungsdatei, sonst eine je Prozessorkern
  --help                  diesen Text zeigen
  --version               die Version zeigen
  --                      was folgt, ist ein PFAD, auch wenn es mit - beginnt

Jede genannte FLV-Datei, allein oder mit ihrem Ordner, ergibt genau eine Zeile
auf der Standardausgabe, sobald ihr Ausgang feststeht: umgewandelte Dateien in
der Reihenfolge, in der sie fertig werden (mit --jobs 1 in der angegebenen),
eine Datei, die nicht eingereiht werden kann, sofort. Diese Zeilen und ihre
Wörter Done und Failed bleiben englisch, da Skripte sie lesen:
  Done&lt;TAB&gt;Quelle&lt;TAB&gt;Ausgabe  oder  Failed&lt;TAB&gt;Quelle&lt;TAB&gt;Grund
Tabulator, Zeilenumbruch, Wagenrücklauf und Backslash werden in diesen Feldern
als \t, \n, \r und \\ geschrieben, jedes andere Steuerzeichen und jedes Byte
eines Namens, das kein UTF-8 ist, als \xHH, eines je Byte (\x1B, \xE9).
Eine zweimal genannte Datei wird einmal umgewandelt.

Exit-Code: 0 jede Datei umgewandelt; 1 eine Datei ist fehlgeschlagen oder
konnte nicht eingereiht werden, oder die Standardausgabe war nicht schreibbar;
2 ein Aufruffehler (unbekannte Option oder unbekanntes Profil, kein PFAD, ein
Ausgabeordner, der fehlt oder nicht angelegt werden kann, ein fehlendes
Programm). Durch SIGINT, SIGTERM oder SIGHUP beendet, hält es sein ffmpeg an,
entfernt die unfertigen Dateien, gibt jeder Datei ohne Zeile eine Failed-Zeile
und endet durch dieses Signal; ist der Leser der Standardausgabe fort
(SIGPIPE), hält es ebenso an, ohne noch etwas zu schreiben.
</translation>
    </message>
    <message>
        <source>Try &apos;vantrel --help&apos; for more information.
</source>
        <translation>„vantrel --help“ gibt weitere Auskunft.
</translation>
    </message>
    <message>
        <source>vantrel: cannot open a window: no display. To convert without one: vantrel --convert-to divx|xvid PATH...
</source>
        <translation>vantrel: kann kein Fenster öffnen: keine Anzeige. Umwandeln ohne Fenster: vantrel --convert-to divx|xvid PFAD...
</translation>
    </message>
</context>
<context>
    <name>ConsoleReport</name>
    <message>
        <source>The file was not converted</source>
        <translation>Die Datei wurde nicht umgewandelt</translation>
    </message>
    <message>
        <source>Stopped by %1 before its conversion finished</source>
        <translation>Durch %1 angehalten, bevor ihre Umwandlung fertig war</translation>
    </message>
    <message>
        <source>Stopped by %1 before it was converted</source>
        <translation>Durch %1 angehalten, bevor sie umgewandelt wurde</translation>
    </message>
</context>
<context>
    <name>ConversionOutcome</name>
    <message>
        <source>Stopped</source>
        <translation>Angehalten</translation>
    </message>
</context>
<context>
    <name>ConversionRun</name>
    <message>
        <source>Cannot find the program &quot;ffmpeg&quot;, which converts the files. Please install the package &quot;ffmpeg&quot; and start Vantrel again</source>
        <translation>Das Programm „ffmpeg“, das die Dateien umwandelt, wurde nicht gefunden. Bitte installieren Sie das Paket „ffmpeg“ und starten Sie Vantrel erneut</translation>
    </message>
    <message>
        <source>Choose an output folder with Browse first.</source>
        <translation>Wählen Sie zuerst mit Durchsuchen einen Ausgabeordner.</translation>
    </message>
    <message>
        <source>The conversion was stopped</source>
        <translation>Die Umwandlung wurde angehalten</translation>
    </message>
</context>
<context>
    <name>DurationProbe</name>
    <message>
        <source>Cannot find &quot;%1&quot;, which Vantrel needs to measure files. Please install Vantrel again</source>
        <translation>„%1“, das Vantrel zum Messen der Dateien braucht, wurde nicht gefunden. Bitte installieren Sie Vantrel erneut</translation>
    </message>
    <message>
        <source>The program &quot;%1&quot;, which Vantrel needs to measure files, could not be started: %2</source>
        <translation>Das Programm „%1“, das Vantrel zum Messen der Dateien braucht, konnte nicht gestartet werden: %2</translation>
    </message>
    <message>
        <source>. Please install Vantrel again</source>
        <translation>. Bitte installieren Sie Vantrel erneut</translation>
    </message>
    <message>
        <source>Cannot find the program &quot;mediainfo&quot;, which measures the playing time of each file. Please install the package &quot;mediainfo&quot; and start Vantrel again</source>
        <translation>Das Programm „mediainfo“, das die Spieldauer jeder Datei misst, wurde nicht gefunden. Bitte installieren Sie das Paket „mediainfo“ und starten Sie Vantrel erneut</translation>
    </message>
    <message>
        <source>mediainfo gave no answer in %1 s and was ended</source>
        <translation>mediainfo antwortete nicht binnen %1 s und wurde beendet</translation>
    </message>
    <message>
        <source>Cannot measure files: Vantrel has no private temporary folder</source>
        <translation>Dateien können nicht gemessen werden: Vantrel hat keinen eigenen temporären Ordner</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. %2</source>
        <translation>Die Datei „%1“ kann nicht angelegt werden. %2</translation>
    </message>
    <message>
        <source>Cannot delete file &quot;%1&quot;</source>
        <translation>Die Datei „%1“ kann nicht gelöscht werden</translation>
    </message>
    <message>
        <source>measures the playing time of each file</source>
        <translation>die Spieldauer jeder Datei misst</translation>
    </message>
    <message>
        <source>Cannot open file &quot;%1&quot;. %2</source>
        <translation>Die Datei „%1“ kann nicht geöffnet werden. %2</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid time</source>
        <translation>„%1“ ist keine gültige Zeit</translation>
    </message>
</context>
<context>
    <name>Error</name>
    <message>
        <source>An unexpected error occurred</source>
        <translation>Ein unerwarteter Fehler ist aufgetreten</translation>
    </message>
</context>
<context>
    <name>FfmpegProcess</name>
    <message>
        <source>ffmpeg was stopped</source>
        <translation>ffmpeg wurde angehalten</translation>
    </message>
    <message>
        <source>ffmpeg reported no progress for %1 s and was ended</source>
        <translation>ffmpeg meldete %1 s lang keinen Fortschritt und wurde beendet</translation>
    </message>
</context>
<context>
    <name>FfmpegReport</name>
    <message>
        <source>ffmpeg finds no playable stream in it</source>
        <translation>ffmpeg findet darin keinen abspielbaren Datenstrom</translation>
    </message>
    <message>
        <source>ffmpeg cannot decode its picture or sound</source>
        <translation>ffmpeg kann ihr Bild oder ihren Ton nicht dekodieren</translation>
    </message>
    <message>
        <source>ffmpeg cannot read it: it is damaged or not a video</source>
        <translation>ffmpeg kann sie nicht lesen: sie ist beschädigt oder kein Video</translation>
    </message>
    <message>
        <source>ffmpeg ended with exit code %1 without naming a cause</source>
        <translation>ffmpeg endete mit Exit-Code %1, ohne einen Grund zu nennen</translation>
    </message>
    <message>
        <source>ffmpeg was killed or crashed</source>
        <translation>ffmpeg wurde beendet oder ist abgestürzt</translation>
    </message>
    <message>
        <source>ffmpeg was ended by signal %1 (SIG%2)</source>
        <translation>ffmpeg wurde durch Signal %1 (SIG%2) beendet</translation>
    </message>
    <message>
        <source>converts the files</source>
        <translation>die Dateien umwandelt</translation>
    </message>
    <message>
        <source>ffmpeg ended with exit code %1</source>
        <translation>ffmpeg endete mit Exit-Code %1</translation>
    </message>
</context>
<context>
    <name>FileConversion</name>
    <message>
        <source>The output folder %1 no longer exists</source>
        <translation>Der Ausgabeordner %1 existiert nicht mehr</translation>
    </message>
    <message>
        <source>ffmpeg wrote no output file</source>
        <translation>ffmpeg schrieb keine Ausgabedatei</translation>
    </message>
</context>
<context>
    <name>FlvTimeline</name>
    <message>
        <source>The source holds %1 s of the %2 s its header states: it may be cut off.</source>
        <translation>Die Quelle enthält %1 s der %2 s, die ihr Kopf angibt: sie ist womöglich abgeschnitten.</translation>
    </message>
</context>
<context>
    <name>Folders</name>
    <message>
        <source>There is no home folder to keep Vantrel&apos;s state in</source>
        <translation>Es gibt keinen Persönlichen Ordner, in dem Vantrel seinen Zustand ablegen kann</translation>
    </message>
    <message>
        <source>Cannot create the private folder &quot;%1&quot;: %2</source>
        <translation>Der private Ordner „%1“ kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>Cannot use the private folder &quot;%1&quot;: %2</source>
        <translation>Der private Ordner „%1“ kann nicht verwendet werden: %2</translation>
    </message>
    <message>
        <source>is a link; remove it</source>
        <translation>ist eine Verknüpfung; entfernen Sie sie</translation>
    </message>
    <message>
        <source>is not a folder; remove it</source>
        <translation>ist kein Ordner; entfernen Sie ihn</translation>
    </message>
    <message>
        <source>belongs to another user; have it removed</source>
        <translation>gehört einem anderen Benutzer; lassen Sie ihn entfernen</translation>
    </message>
    <message>
        <source>is writable by others; remove it or set its mode to 0700</source>
        <translation>ist für andere beschreibbar; entfernen Sie ihn oder setzen Sie seine Rechte auf 0700</translation>
    </message>
    <message>
        <source>is open to other users; remove it or set its mode to 0700</source>
        <translation>ist anderen Benutzern offen; entfernen Sie ihn oder setzen Sie seine Rechte auf 0700</translation>
    </message>
    <message>
        <source>The private folder &quot;%1&quot; %2 and start Vantrel again</source>
        <translation>Der private Ordner „%1“ %2 und starten Sie Vantrel erneut</translation>
    </message>
</context>
<context>
    <name>KeptQueue</name>
    <message>
        <source>it is damaged at line %1</source>
        <translation>sie ist in Zeile %1 beschädigt</translation>
    </message>
    <message>
        <source>it is larger than any queue Vantrel writes</source>
        <translation>sie ist größer als jede Liste, die Vantrel schreibt</translation>
    </message>
    <message>
        <source>it was written by a newer version of Vantrel</source>
        <translation>sie wurde von einer neueren Version von Vantrel geschrieben</translation>
    </message>
</context>
<context>
    <name>KeptQueueOffer</name>
    <message numerus="yes">
        <source>%n files were not converted when Vantrel last closed. Queue them again?</source>
        <translation>
            <numerusform>%n Datei wurde nicht umgewandelt, als Vantrel zuletzt geschlossen wurde. Erneut einreihen?</numerusform>
            <numerusform>%n Dateien wurden nicht umgewandelt, als Vantrel zuletzt geschlossen wurde. Erneut einreihen?</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>MainEngine</name>
    <message numerus="yes">
        <source>%n files converted, %1 failed.</source>
        <translation>
            <numerusform>%n Datei umgewandelt, %1 fehlgeschlagen.</numerusform>
            <numerusform>%n Dateien umgewandelt, %1 fehlgeschlagen.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>MainInstance</name>
    <message>
        <source>vantrel: %1; this copy runs without the single-instance guard
</source>
        <translation>vantrel: %1; diese Kopie läuft ohne den Schutz vor einer zweiten Instanz
</translation>
    </message>
    <message>
        <source>vantrel: the running Vantrel did not take the files given within %1 seconds; they were not queued
</source>
        <translation>vantrel: das laufende Vantrel hat die angegebenen Dateien nicht binnen %1 Sekunden übernommen; sie wurden nicht eingereiht
</translation>
    </message>
</context>
<context>
    <name>MainKeyboard</name>
    <message>
        <source>Files to convert</source>
        <translation>Umzuwandelnde Dateien</translation>
    </message>
    <message>
        <source>The queued files, their progress and their converted files; Delete removes the selected file</source>
        <translation>Die eingereihten Dateien, ihr Fortschritt und ihre umgewandelten Dateien; Entf entfernt die gewählte Datei</translation>
    </message>
    <message>
        <source>Opens the page in the web browser</source>
        <translation>Öffnet die Seite im Webbrowser</translation>
    </message>
    <message>
        <source>Minimize</source>
        <translation>Minimieren</translation>
    </message>
    <message>
        <source>Minimizes the Vantrel window</source>
        <translation>Minimiert das Vantrel-Fenster</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Ends the conversions and closes Vantrel</source>
        <translation>Beendet die Umwandlungen und schließt Vantrel</translation>
    </message>
    <message>
        <source>Convert to DivX AVI</source>
        <translation>In DivX AVI umwandeln</translation>
    </message>
    <message>
        <source>Converts the pending files of the list to DivX AVI files</source>
        <translation>Wandelt die wartenden Dateien der Liste in DivX-AVI-Dateien um</translation>
    </message>
    <message>
        <source>Convert to Xvid AVI</source>
        <translation>In Xvid AVI umwandeln</translation>
    </message>
    <message>
        <source>Converts the pending files of the list to Xvid AVI files</source>
        <translation>Wandelt die wartenden Dateien der Liste in Xvid-AVI-Dateien um</translation>
    </message>
    <message>
        <source>Vantrel home page</source>
        <translation>Vantrel-Startseite</translation>
    </message>
    <message>
        <source>Opens the maker&apos;s home page in the web browser</source>
        <translation>Öffnet die Startseite des Herstellers im Webbrowser</translation>
    </message>
</context>
<context>
    <name>MainLayout</name>
    <message>
        <source>Select single FLV file</source>
        <translation>Einzelne FLV-Datei wählen</translation>
    </message>
    <message>
        <source>Select folder containing FLV files</source>
        <translation>Ordner mit FLV-Dateien wählen</translation>
    </message>
    <message>
        <source>Select output folder</source>
        <translation>Ausgabeordner wählen</translation>
    </message>
    <message>
        <source>Files to convert (DEL to remove selected file from the list)</source>
        <translation>Umzuwandelnde Dateien (ENTF entfernt die gewählte Datei)</translation>
    </message>
    <message>
        <source>Add FLV File</source>
        <translation>Datei hinzufügen</translation>
    </message>
    <message>
        <source>Add Folder</source>
        <translation>Ordner hinzufügen</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Durchsuchen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Minimize</source>
        <translation>Minimieren</translation>
    </message>
</context>
<context>
    <name>MainQueue</name>
    <message>
        <source>Select Output Folder</source>
        <translation>Ausgabeordner wählen</translation>
    </message>
    <message>
        <source>FLV Files (*.flv)</source>
        <translation>FLV-Dateien (*.flv)</translation>
    </message>
    <message>
        <source>Measuring %1 of %2…</source>
        <translation>Messe %1 von %2 …</translation>
    </message>
</context>
<context>
    <name>MainStop</name>
    <message>
        <source>Stop converting the %1 files that are being converted?</source>
        <translation>Die Umwandlung der %1 Dateien anhalten, die gerade umgewandelt werden?</translation>
    </message>
</context>
<context>
    <name>OutputCheck</name>
    <message>
        <source>The output could not be checked: </source>
        <translation>Die Ausgabe konnte nicht geprüft werden: </translation>
    </message>
    <message>
        <source>mediainfo&apos;s library gave no answer in %1 s</source>
        <translation>die Bibliothek von mediainfo antwortete nicht binnen %1 s</translation>
    </message>
    <message>
        <source>The output is not an AVI file: mediainfo knows no format in it</source>
        <translation>Die Ausgabe ist keine AVI-Datei: mediainfo erkennt darin kein Format</translation>
    </message>
    <message>
        <source>The output is not an AVI file but %1</source>
        <translation>Die Ausgabe ist keine AVI-Datei, sondern %1</translation>
    </message>
    <message>
        <source>The AVI holds no stream</source>
        <translation>Die AVI-Datei enthält keinen Datenstrom</translation>
    </message>
    <message>
        <source>The AVI is cut off before the end its header gives</source>
        <translation>Die AVI-Datei endet vor dem Ende, das ihr Kopf angibt</translation>
    </message>
    <message>
        <source>The AVI has no playing time</source>
        <translation>Die AVI-Datei hat keine Spieldauer</translation>
    </message>
    <message>
        <source>The AVI plays %1 of the source&apos;s %2</source>
        <translation>Die AVI-Datei spielt %1 der %2 der Quelle</translation>
    </message>
</context>
<context>
    <name>OwnTempFolder</name>
    <message>
        <source>Cannot create a folder in the private folder &quot;%1&quot;: %2</source>
        <translation>Im privaten Ordner „%1“ kann kein Ordner angelegt werden: %2</translation>
    </message>
    <message>
        <source>Cannot create a folder of its own in the private folder &quot;%1&quot;</source>
        <translation>Im privaten Ordner „%1“ kann kein eigener Ordner angelegt werden</translation>
    </message>
</context>
<context>
    <name>ParallelProbe</name>
    <message>
        <source>Cannot measure &quot;%1&quot;: no program could be started (%2). Try again when fewer programs run</source>
        <translation>„%1“ kann nicht gemessen werden: kein Programm konnte gestartet werden (%2). Versuchen Sie es erneut, wenn weniger Programme laufen</translation>
    </message>
</context>
<context>
    <name>ProcessLauncher</name>
    <message>
        <source>The program &quot;%1&quot; (%2), which %3, could not be started</source>
        <translation>Das Programm „%1“ (%2), das %3, konnte nicht gestartet werden</translation>
    </message>
    <message>
        <source>. Please install the package &quot;%1&quot; again and start Vantrel again</source>
        <translation>. Bitte installieren Sie das Paket „%1“ erneut und starten Sie Vantrel erneut</translation>
    </message>
    <message>
        <source>. Make sure the &quot;%1&quot; found first on PATH is a working program</source>
        <translation>. Stellen Sie sicher, dass das zuerst auf PATH gefundene „%1“ ein funktionierendes Programm ist</translation>
    </message>
</context>
<context>
    <name>QueueActions</name>
    <message>
        <source>mediainfo finds no playing time in it: it is empty, damaged or not a video</source>
        <translation>mediainfo findet darin keine Spieldauer: sie ist leer, beschädigt oder kein Video</translation>
    </message>
    <message>
        <source>there is no FLV file in this folder</source>
        <translation>in diesem Ordner ist keine FLV-Datei</translation>
    </message>
    <message>
        <source>the folder cannot be read</source>
        <translation>der Ordner kann nicht gelesen werden</translation>
    </message>
</context>
<context>
    <name>QueueKeeper</name>
    <message>
        <source>The list of files left from the last time cannot be used: %1</source>
        <translation>Die Liste der vom letzten Mal übrigen Dateien ist nicht verwendbar: %1</translation>
    </message>
    <message>
        <source>%1. It was renamed to &quot;%2&quot;.</source>
        <translation>%1. Sie wurde in „%2“ umbenannt.</translation>
    </message>
    <message>
        <source>%1. The files in the list are not kept for the next start.</source>
        <translation>%1. Die Dateien der Liste werden für den nächsten Start nicht aufbewahrt.</translation>
    </message>
</context>
<context>
    <name>QueueListRules</name>
    <message>
        <source>Nothing on this desktop opens %1.</source>
        <translation>Nichts auf diesem Desktop öffnet %1.</translation>
    </message>
</context>
<context>
    <name>QueueModel</name>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>File Name (click to view)</source>
        <translation>Dateiname (Klick zeigt)</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>Converted File (click to open)</source>
        <translation>Umgewandelt (Klick öffnet)</translation>
    </message>
    <message>
        <source>DEL</source>
        <translation>ENTF</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Not converted</source>
        <translation>Nicht umgewandelt</translation>
    </message>
    <message>
        <source>Not yet converted</source>
        <translation>Noch nicht umgewandelt</translation>
    </message>
</context>
<context>
    <name>QueueRowMenu</name>
    <message>
        <source>Stop</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>Try again</source>
        <translation>Erneut versuchen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Open Folder</source>
        <translation>Ordner öffnen</translation>
    </message>
</context>
<context>
    <name>RowState</name>
    <message>
        <source>Pending</source>
        <translation>Wartet</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>%1% Done</source>
        <translation>%1 % fertig</translation>
    </message>
</context>
<context>
    <name>RunSchedule</name>
    <message>
        <source>ffmpeg could not be started for &quot;%1&quot;: %2. The files not converted stay &quot;Pending&quot;; press the button again when fewer programs run</source>
        <translation>ffmpeg konnte für „%1“ nicht gestartet werden: %2. Die nicht umgewandelten Dateien bleiben „Wartet“; drücken Sie die Schaltfläche erneut, wenn weniger Programme laufen</translation>
    </message>
</context>
<context>
    <name>RunTimeLeft</name>
    <message>
        <source>%1 left</source>
        <translation>noch %1</translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>The settings file &quot;%1&quot; is damaged</source>
        <translation>Die Einstellungsdatei „%1“ ist beschädigt</translation>
    </message>
    <message>
        <source> The output folder will not be remembered.</source>
        <translation> Der Ausgabeordner wird nicht gespeichert.</translation>
    </message>
    <message>
        <source>The setting &quot;%1&quot; is not a text</source>
        <translation>Die Einstellung „%1“ ist kein Text</translation>
    </message>
    <message>
        <source>Cannot write the settings file &quot;%1&quot;: it holds text that is not UTF-8</source>
        <translation>Die Einstellungsdatei „%1“ kann nicht geschrieben werden: sie enthält Text, der kein UTF-8 ist</translation>
    </message>
    <message>
        <source>Cannot write the settings file &quot;%1&quot;</source>
        <translation>Die Einstellungsdatei „%1“ kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Cannot read the settings file &quot;%1&quot;</source>
        <translation>Die Einstellungsdatei „%1“ kann nicht gelesen werden</translation>
    </message>
</context>
<context>
    <name>SourceFile</name>
    <message>
        <source>it is not a file</source>
        <translation>es ist keine Datei</translation>
    </message>
    <message>
        <source>there is no such file or folder</source>
        <translation>es gibt keine solche Datei und keinen solchen Ordner</translation>
    </message>
    <message>
        <source>too many levels of links</source>
        <translation>zu viele Ebenen von Verknüpfungen</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>Zugriff verweigert</translation>
    </message>
    <message>
        <source>it cannot be read: %1</source>
        <translation>sie kann nicht gelesen werden: %1</translation>
    </message>
</context>
<context>
    <name>StateFile</name>
    <message>
        <source>Cannot create the folder &quot;%1&quot;: %2</source>
        <translation>Der Ordner „%1“ kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>Cannot use the folder &quot;%1&quot;: %2</source>
        <translation>Der Ordner „%1“ kann nicht verwendet werden: %2</translation>
    </message>
    <message>
        <source>it is a link or no folder</source>
        <translation>er ist eine Verknüpfung oder kein Ordner</translation>
    </message>
    <message>
        <source>belongs to another user</source>
        <translation>gehört einem anderen Benutzer</translation>
    </message>
    <message>
        <source>is open to other users; set its mode to 0700</source>
        <translation>ist anderen Benutzern offen; setzen Sie seine Rechte auf 0700</translation>
    </message>
    <message>
        <source>The folder &quot;%1&quot; %2</source>
        <translation>Der Ordner „%1“ %2</translation>
    </message>
    <message>
        <source>Cannot read &quot;%1&quot;: %2</source>
        <translation>„%1“ kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>Cannot read &quot;%1&quot;: it is not a file of yours</source>
        <translation>„%1“ kann nicht gelesen werden: es ist keine Datei von Ihnen</translation>
    </message>
    <message>
        <source>Cannot write &quot;%1&quot;: %2</source>
        <translation>„%1“ kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Cannot remove &quot;%1&quot;: %2</source>
        <translation>„%1“ kann nicht entfernt werden: %2</translation>
    </message>
    <message>
        <source>Cannot rename &quot;%1&quot;: %2</source>
        <translation>„%1“ kann nicht umbenannt werden: %2</translation>
    </message>
</context>
<context>
    <name>UnfinishedFile</name>
    <message>
        <source>Cannot create the output file in &quot;%1&quot;: %2</source>
        <translation>In „%1“ kann die Ausgabedatei nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>Cannot save the output file in &quot;%1&quot;: %2</source>
        <translation>In „%1“ kann die Ausgabedatei nicht gespeichert werden: %2</translation>
    </message>
    <message>
        <source>Cannot give the file &quot;%1&quot; its name back: %2</source>
        <translation>Die Datei „%1“ kann ihren Namen nicht zurückerhalten: %2</translation>
    </message>
    <message>
        <source>Cannot save the output file %1: %2</source>
        <translation>Die Ausgabedatei %1 kann nicht gespeichert werden: %2</translation>
    </message>
    <message>
        <source>Cannot save the output file in &quot;%1&quot;: every name is taken</source>
        <translation>In „%1“ kann die Ausgabedatei nicht gespeichert werden: jeder Name ist vergeben</translation>
    </message>
</context>
<context>
    <name>WebLinks</name>
    <message>
        <source>Video Joiner</source>
        <translation>Video Joiner</translation>
    </message>
    <message>
        <source>DVD Ripper</source>
        <translation>DVD Ripper</translation>
    </message>
    <message>
        <source>Support</source>
        <translation>Support</translation>
    </message>
    <message>
        <source>Audio Extractor</source>
        <translation>Audio Extractor</translation>
    </message>
    <message>
        <source>MP4 Converter</source>
        <translation>MP4 Converter</translation>
    </message>
    <message>
        <source>GIF Maker</source>
        <translation>GIF Maker</translation>
    </message>
    <message>
        <source>Screen Recorder</source>
        <translation>Screen Recorder</translation>
    </message>
</context>
<context>
    <name>advantmr</name>
    <message>
        <source>Not enough timers available</source>
        <translation>Nicht genügend Zeitgeber verfügbar</translation>
    </message>
</context>
</TS>
