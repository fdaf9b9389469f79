<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CEncoderDlg</name>
    <message>
        <source>Add current source</source>
        <translation>Aktuelle Quelle hinzufügen</translation>
    </message>
    <message>
        <source>Titles...</source>
        <translation>Titel...</translation>
    </message>
    <message>
        <source>Make disc...</source>
        <translation>Disc erstellen...</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Leeren</translation>
    </message>
    <message>
        <source>Open a source first: File &gt; Open.</source>
        <translation>Zuerst eine Quelle öffnen: File &gt; Open.</translation>
    </message>
    <message>
        <source>Disc</source>
        <translation>Disc</translation>
    </message>
    <message>
        <source>The title cannot be kept in Conf/.</source>
        <translation>Der Titel kann nicht in Conf/ gespeichert werden.</translation>
    </message>
    <message>
        <source>No titles yet: Disc &gt; Add current source.</source>
        <translation>Noch keine Titel: Disc &gt; Aktuelle Quelle hinzufügen.</translation>
    </message>
    <message>
        <source>none of the form&apos;s choices</source>
        <translation>keine der Auswahlen des Formulars</translation>
    </message>
    <message>
        <source>The %1 target (%2) cannot take %3 video; it takes %4.</source>
        <translation>Das Ziel %1 (%2) kann kein %3-Video aufnehmen; es nimmt %4.</translation>
    </message>
    <message>
        <source>The %1 target (%2) cannot take the source&apos;s %3 audio (copy); it takes %4.</source>
        <translation>Das Ziel %1 (%2) kann den %3-Ton der Quelle (copy) nicht aufnehmen; es nimmt %4.</translation>
    </message>
    <message>
        <source>The %1 target (%2) cannot take %3 audio; it takes %4.</source>
        <translation>Das Ziel %1 (%2) kann keinen %3-Ton aufnehmen; es nimmt %4.</translation>
    </message>
    <message>
        <source>Encode</source>
        <translation>Umwandeln</translation>
    </message>
</context>
<context>
    <name>QFileDialog</name>
    <message>
        <source>%1
File not found.
Please verify the correct file name was given.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>mk::ConsoleWindow</name>
    <message>
        <source>Morvakelin console</source>
        <translation>Morvakelin-Konsole</translation>
    </message>
    <message>
        <source>Morvakelin console - %1</source>
        <translation>Morvakelin-Konsole - %1</translation>
    </message>
    <message>
        <source>Command output</source>
        <translation>Ausgabe des Kommandos</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>Time left: %1</source>
        <translation>Restzeit: %1</translation>
    </message>
    <message>
        <source>Command status</source>
        <translation>Status des Kommandos</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Running</source>
        <translation>Läuft</translation>
    </message>
    <message>
        <source>Could not start /bin/sh</source>
        <translation>/bin/sh ließ sich nicht starten</translation>
    </message>
    <message>
        <source>Batch running - no percentage for a batch</source>
        <translation>Stapel läuft - für einen Stapel gibt es keinen Prozentwert</translation>
    </message>
    <message>
        <source>Running - no duration known</source>
        <translation>Läuft - keine Dauer bekannt</translation>
    </message>
    <message>
        <source>Stopping...</source>
        <translation>Wird angehalten...</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>Angehalten</translation>
    </message>
    <message>
        <source>Finished, exit status 0</source>
        <translation>Fertig, Exit-Status 0</translation>
    </message>
    <message>
        <source>Finished, exit status 0 - ffmpeg met errors in the source; the output may be incomplete</source>
        <translation>Fertig, Exit-Status 0 - ffmpeg fand Fehler in der Quelle; die Ausgabe ist vielleicht unvollständig</translation>
    </message>
    <message>
        <source>Failed, exit status %1</source>
        <translation>Fehlgeschlagen, Exit-Status %1</translation>
    </message>
    <message>
        <source>Ended abnormally (the shell was killed)</source>
        <translation>Abgebrochen (die Shell wurde beendet)</translation>
    </message>
    <message>
        <source>Command status: %1</source>
        <translation>Status des Kommandos: %1</translation>
    </message>
    <message>
        <source>The command is still running. Stop it?</source>
        <translation>Das Kommando läuft noch. Anhalten?</translation>
    </message>
</context>
<context>
    <name>mk::DiscTitlesWindow</name>
    <message>
        <source>Disc titles</source>
        <translation>Titel der Disc</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Dauer</translation>
    </message>
    <message>
        <source>Estimated size</source>
        <translation>Geschätzte Größe</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Entfernen</translation>
    </message>
    <message>
        <source>Move &amp;up</source>
        <translation>Nach &amp;oben</translation>
    </message>
    <message>
        <source>Move &amp;down</source>
        <translation>Nach &amp;unten</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Disc size</source>
        <translation>Größe der Disc</translation>
    </message>
    <message>
        <source>How full the disc is</source>
        <translation>Wie voll die Disc ist</translation>
    </message>
    <message>
        <source>%1 % of %2</source>
        <translation>%1 % von %2</translation>
    </message>
    <message>
        <source>Make disc</source>
        <translation>Disc erstellen</translation>
    </message>
    <message>
        <source>Folder, .iso or .cue &amp;name:</source>
        <translation>Ordner, .iso- oder .cue-&amp;Name:</translation>
    </message>
    <message>
        <source>&amp;Chapter every (minutes or M:SS):</source>
        <translation>&amp;Kapitel alle (Minuten oder M:SS):</translation>
    </message>
    <message>
        <source>&amp;Fill the disc size (empty: no fitting):</source>
        <translation>Disc-&amp;Größe füllen (leer: nicht anpassen):</translation>
    </message>
</context>
<context>
    <name>mk::DocumentOpener</name>
    <message>
        <source>No program here opens</source>
        <translation>Kein Programm hier öffnet</translation>
    </message>
    <message>
        <source>Cannot open file</source>
        <translation>Datei kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source> could not be started.</source>
        <translation> ließ sich nicht starten.</translation>
    </message>
    <message>
        <source>Install ffplay (it comes with ffmpeg) or choose a default program for this type of file on your desktop.</source>
        <translation>Installieren Sie ffplay (es kommt mit ffmpeg) oder wählen Sie auf Ihrem Desktop ein Standardprogramm für diese Art Datei.</translation>
    </message>
</context>
<context>
    <name>mk::HelpViewer</name>
    <message>
        <source>Morvakelin Help</source>
        <translation>Morvakelin Hilfe</translation>
    </message>
    <message>
        <source>Help text</source>
        <translation>Hilfetext</translation>
    </message>
</context>
<context>
    <name>mk::QtDesktop</name>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
</context>
<context>
    <name>mk::TextEditorWindow</name>
    <message>
        <source>%1 - Morvakelin editor</source>
        <translation>%1 - Morvakelin-Editor</translation>
    </message>
    <message>
        <source>Text of %1</source>
        <translation>Text von %1</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Morvakelin editor</source>
        <translation>Morvakelin-Editor</translation>
    </message>
    <message>
        <source>Cannot read %1</source>
        <translation>%1 kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Cannot save %1:
%2</source>
        <translation>%1 kann nicht gespeichert werden:
%2</translation>
    </message>
    <message>
        <source>Save the changes to %1?</source>
        <translation>Änderungen an %1 speichern?</translation>
    </message>
    <message>
        <source>Question</source>
        <translation>Frage</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
</context>
</TS>
