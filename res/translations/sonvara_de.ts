<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
    <context>
        <name>CAudioElementSheet</name>
        <message>
            <source>Album</source>
            <translation>Album</translation>
        </message>
        <message>
            <source>Album:</source>
            <translation>Album:</translation>
        </message>
        <message>
            <source>Artist</source>
            <translation>Interpret</translation>
        </message>
        <message>
            <source>Artist:</source>
            <translation>Interpret:</translation>
        </message>
        <message>
            <source>Change &amp;&amp; next</source>
            <translation>Ändern &amp;&amp; weiter</translation>
        </message>
        <message>
            <source>Change &amp;&amp; previous</source>
            <translation>Ändern &amp;&amp; zurück</translation>
        </message>
        <message>
            <source>File</source>
            <translation>Datei</translation>
        </message>
        <message>
            <source>File:</source>
            <translation>Datei:</translation>
        </message>
        <message>
            <source>Format</source>
            <translation>Format</translation>
        </message>
        <message>
            <source>Format:</source>
            <translation>Format:</translation>
        </message>
        <message>
            <source>Length</source>
            <translation>Länge</translation>
        </message>
        <message>
            <source>Length:</source>
            <translation>Länge:</translation>
        </message>
        <message>
            <source>Play</source>
            <translation>Abspielen</translation>
        </message>
        <message>
            <source>Position</source>
            <translation>Position</translation>
        </message>
        <message>
            <source>Position:</source>
            <translation>Position:</translation>
        </message>
        <message>
            <source>Properties</source>
            <translation>Eigenschaften</translation>
        </message>
        <message>
            <source>Properties of: %1</source>
            <translation>Eigenschaften von: %1</translation>
        </message>
        <message>
            <source>Sampling Rate</source>
            <translation>Abtastrate</translation>
        </message>
        <message>
            <source>Sampling Rate:</source>
            <translation>Abtastrate:</translation>
        </message>
        <message>
            <source>Stop</source>
            <translation>Stopp</translation>
        </message>
        <message>
            <source>The tags could not be saved.

%1</source>
            <translation>Die Tags konnten nicht gespeichert werden.

%1</translation>
        </message>
        <message>
            <source>Title</source>
            <translation>Titel</translation>
        </message>
        <message>
            <source>Title:</source>
            <translation>Titel:</translation>
        </message>
        <message>
            <source>Junk before the first frame</source>
            <translation>Datenmüll vor dem ersten Frame</translation>
        </message>
        <message>
            <source>Lost sync</source>
            <translation>Synchronisation verloren</translation>
        </message>
        <message>
            <source>Invalid frame header</source>
            <translation>Ungültiger Frame-Header</translation>
        </message>
        <message>
            <source>Truncated last frame</source>
            <translation>Letzter Frame abgeschnitten</translation>
        </message>
        <message>
            <source>Stream format changes</source>
            <translation>Format des Datenstroms wechselt</translation>
        </message>
        <message>
            <source>VBR header disagrees</source>
            <translation>VBR-Header stimmt nicht</translation>
        </message>
        <message>
            <source>CRC mismatch</source>
            <translation>CRC stimmt nicht</translation>
        </message>
        <message>
            <source>ID3v2 tag runs past the end</source>
            <translation>ID3v2-Tag reicht über das Dateiende</translation>
        </message>
        <message>
            <source>Tag inside the audio</source>
            <translation>Tag mitten in den Audiodaten</translation>
        </message>
        <message>
            <source>Data after the last frame</source>
            <translation>Daten nach dem letzten Frame</translation>
        </message>
        <message>
            <source>Audio data damaged</source>
            <translation>Audiodaten beschädigt</translation>
        </message>
        <message>
            <source>Findings</source>
            <translation>Befunde</translation>
        </message>
        <message>
            <source>Severity</source>
            <translation>Schwere</translation>
        </message>
        <message>
            <source>Kind</source>
            <translation>Art</translation>
        </message>
        <message>
            <source>Time</source>
            <translation>Zeit</translation>
        </message>
        <message>
            <source>Offset</source>
            <translation>Position</translation>
        </message>
        <message>
            <source>What</source>
            <translation>Was</translation>
        </message>
        <message>
            <source>Only MP3 files are checked frame by frame.</source>
            <translation>Nur MP3-Dateien werden Frame für Frame geprüft.</translation>
        </message>
        <message>
            <source>Not checked: %1</source>
            <translation>Nicht geprüft: %1</translation>
        </message>
        <message>
            <source>OK</source>
            <translation>OK</translation>
        </message>
        <message>
            <source>Corrupt</source>
            <translation>Defekt</translation>
        </message>
        <message>
            <source>%1: %2 frames, nothing found.</source>
            <translation>%1: %2 Frames, nichts gefunden.</translation>
        </message>
        <message>
            <source>%1: %2 frames, %3 findings.</source>
            <translation>%1: %2 Frames, %3 Befunde.</translation>
        </message>
        <message>
            <source>Error</source>
            <translation>Fehler</translation>
        </message>
        <message>
            <source>Warning</source>
            <translation>Warnung</translation>
        </message>
        <message>
            <source>Check</source>
            <translation>Prüfung</translation>
        </message>
    </context>
    <context>
        <name>CoreStrings</name>
        <message>
            <source>no</source>
            <comment>analysis column</comment>
            <translation>nein</translation>
        </message>
        <message>
            <source>OK</source>
            <comment>analysis column</comment>
            <translation>OK</translation>
        </message>
        <message>
            <source>Corrupt</source>
            <comment>analysis column</comment>
            <translation>Defekt</translation>
        </message>
        <message>
            <source>no</source>
            <comment>conversion column</comment>
            <translation>nein</translation>
        </message>
        <message>
            <source>can't convert</source>
            <comment>conversion column</comment>
            <translation>nicht konvertierbar</translation>
        </message>
        <message>
            <source>WAV -&gt; MP3</source>
            <comment>conversion column</comment>
            <translation>WAV -&gt; MP3</translation>
        </message>
        <message>
            <source>MP3 -&gt; WAV</source>
            <comment>conversion column</comment>
            <translation>MP3 -&gt; WAV</translation>
        </message>
        <message>
            <source>MP3 -&gt; MP3</source>
            <comment>conversion column</comment>
            <translation>MP3 -&gt; MP3</translation>
        </message>
        <message>
            <source>Analyzing</source>
            <comment>stage</comment>
            <translation>Analysiere</translation>
        </message>
        <message>
            <source>Converting</source>
            <comment>stage</comment>
            <translation>Konvertiere</translation>
        </message>
        <message>
            <source>Normalizing</source>
            <comment>stage</comment>
            <translation>Normalisiere</translation>
        </message>
        <message>
            <source>        ===&gt; File OK! %s</source>
            <comment>result line</comment>
            <translation>        ===&gt; Datei OK! %s</translation>
        </message>
        <message>
            <source>        ===&gt; FILE CORRUPT!!! %s Please convert.</source>
            <comment>result line</comment>
            <translation>        ===&gt; DATEI DEFEKT!!! %s Bitte konvertieren.</translation>
        </message>
        <message>
            <source>Aborted at user request!</source>
            <comment>result line</comment>
            <translation>Auf Wunsch des Benutzers abgebrochen!</translation>
        </message>
        <message>
            <source>        ===&gt; NOT CONVERTED: %s</source>
            <comment>result line</comment>
            <translation>        ===&gt; NICHT KONVERTIERT: %s</translation>
        </message>
        <message>
            <source>        ===&gt; NOT CHECKED: %s</source>
            <comment>result line</comment>
            <translation>        ===&gt; NICHT GEPRÜFT: %s</translation>
        </message>
        <message>
            <source>The file 
%s
already exists, should it overwrite ?</source>
            <comment>question</comment>
            <translation>Die Datei 
%s
existiert bereits. Soll sie überschrieben werden?</translation>
        </message>
        <message>
            <source>Not enough disk free space</source>
            <comment>message</comment>
            <translation>Nicht genügend freier Speicherplatz</translation>
        </message>
        <message>
            <source>The free disk space of %s cannot be measured: %s</source>
            <comment>message</comment>
            <translation>Der freie Speicherplatz von %s kann nicht ermittelt werden: %s</translation>
        </message>
        <message>
            <source>ATTENTION: The track directory for your original files AND
the directory for your output files are the same. If you
proceed the original file(s) will be overwritten.
Please change the track directory in the register "General".
Click on "Settings" to open the configuration dialog.</source>
            <comment>message</comment>
            <translation>ACHTUNG: Das Verzeichnis Ihrer Originaldateien UND
das Verzeichnis der Ausgabedateien sind gleich. Wenn Sie
fortfahren, werden die Originaldateien überschrieben.
Bitte ändern Sie das Ausgabeverzeichnis auf der Seite "Allgemein".
Klicken Sie auf "Einstellungen", um die Konfiguration zu öffnen.</translation>
        </message>
        <message>
            <source>The output file
%s
is the source itself; it is not written.</source>
            <comment>message</comment>
            <translation>Die Ausgabedatei
%s
ist die Quelldatei selbst; sie wird nicht geschrieben.</translation>
        </message>
        <message>
            <source>The track directory %s cannot be created: %s</source>
            <comment>message</comment>
            <translation>Das Ausgabeverzeichnis %s kann nicht angelegt werden: %s</translation>
        </message>
        <message>
            <source>%s cannot be moved: %s</source>
            <comment>message</comment>
            <translation>%s kann nicht verschoben werden: %s</translation>
        </message>
        <message>
            <source>%s: cannot write the report</source>
            <comment>message</comment>
            <translation>%s: der Bericht kann nicht geschrieben werden</translation>
        </message>
        <message>
            <source>File;Check;Convert;Title;Artist;Album;Length;Path;</source>
            <comment>column titles</comment>
            <translation>Datei;Prüfung;Konvertierung;Titel;Interpret;Album;Länge;Pfad;</translation>
        </message>
        <message>
            <source>Analysis Results</source>
            <comment>report</comment>
            <translation>Analyseergebnisse</translation>
        </message>
        <message>
            <source>Measuring</source>
            <comment>stage</comment>
            <translation>Messe</translation>
        </message>
        <message>
            <source>Writing tags</source>
            <comment>stage</comment>
            <translation>Schreibe Tags</translation>
        </message>
        <message>
            <source>        ===&gt; %s</source>
            <comment>result line</comment>
            <translation>        ===&gt; %s</translation>
        </message>
        <message>
            <source>        ===&gt; Album: %s</source>
            <comment>result line</comment>
            <translation>        ===&gt; Album: %s</translation>
        </message>
        <message>
            <source>        ===&gt; NOT MEASURED: %s</source>
            <comment>result line</comment>
            <translation>        ===&gt; NICHT GEMESSEN: %s</translation>
        </message>
        <message>
            <source>        ===&gt; ReplayGain tags written: %s</source>
            <comment>result line</comment>
            <translation>        ===&gt; ReplayGain-Tags geschrieben: %s</translation>
        </message>
        <message>
            <source>        ===&gt; TAGS NOT WRITTEN: %s</source>
            <comment>result line</comment>
            <translation>        ===&gt; TAGS NICHT GESCHRIEBEN: %s</translation>
        </message>
        <message>
            <source>Repairing</source>
            <comment>stage</comment>
            <translation>Repariere</translation>
        </message>
        <message>
            <source>        ===&gt; REPAIRED: %s</source>
            <comment>result line</comment>
            <translation>        ===&gt; REPARIERT: %s</translation>
        </message>
        <message>
            <source>        ===&gt; Nothing to repair</source>
            <comment>result line</comment>
            <translation>        ===&gt; Nichts zu reparieren</translation>
        </message>
        <message>
            <source>        ===&gt; NOT REPAIRED: %s</source>
            <comment>result line</comment>
            <translation>        ===&gt; NICHT REPARIERT: %s</translation>
        </message>
        <message>
            <source>The folder %s cannot be created: %s</source>
            <comment>message</comment>
            <translation>Der Ordner %s kann nicht angelegt werden: %s</translation>
        </message>
        <message>
            <source>%s holds a file of the same name moved there a moment ago; this one stays where it is</source>
            <comment>message</comment>
            <translation>%s enthält eine gleichnamige Datei, die eben dorthin verschoben wurde; diese bleibt, wo sie ist</translation>
        </message>
        <message>
            <source>The setting %s cannot be used; the default %s is used instead.</source>
            <comment>message</comment>
            <translation>Die Einstellung %s ist nicht verwendbar; stattdessen gilt der Standardwert %s.</translation>
        </message>
        <message>
            <source>The settings %s contradict each other; %s is used.</source>
            <comment>message</comment>
            <translation>Die Einstellungen %s widersprechen sich; %s wird verwendet.</translation>
        </message>
        <message>
            <source>The settings cannot be saved (%s). Changes last until the program ends.</source>
            <comment>message</comment>
            <translation>Die Einstellungen können nicht gespeichert werden (%s). Änderungen gelten nur bis zum Programmende.</translation>
        </message>
        <message>
            <source>cannot open: %s</source>
            <comment>reason</comment>
            <translation>kann nicht geöffnet werden: %s</translation>
        </message>
        <message>
            <source>read error: %s</source>
            <comment>reason</comment>
            <translation>Lesefehler: %s</translation>
        </message>
        <message>
            <source>no MPEG audio frames</source>
            <comment>reason</comment>
            <translation>keine MPEG-Audio-Frames</translation>
        </message>
        <message>
            <source>%s is also the output of %s</source>
            <comment>reason</comment>
            <translation>%s ist auch die Ausgabe von %s</translation>
        </message>
        <message>
            <source>%s was written by this run a moment ago; it is kept</source>
            <comment>reason</comment>
            <translation>%s wurde eben in diesem Lauf geschrieben; sie bleibt erhalten</translation>
        </message>
        <message>
            <source>%s appeared while converting; it is kept</source>
            <comment>reason</comment>
            <translation>%s ist während der Konvertierung entstanden; sie bleibt erhalten</translation>
        </message>
        <message>
            <source>unknown</source>
            <comment>reason</comment>
            <translation>unbekannt</translation>
        </message>
        <message>
            <source>(%s LUFS)</source>
            <comment>result line</comment>
            <translation>(%s LUFS)</translation>
        </message>
        <message>
            <source>(%s LUFS: target %s LUFS not reached, true peak held at %s dBTP)</source>
            <comment>result line</comment>
            <translation>(%s LUFS: Ziel %s LUFS nicht erreicht, True Peak bei %s dBTP gehalten)</translation>
        </message>
        <message>
            <source>(not normalised: %s)</source>
            <comment>result line</comment>
            <translation>(nicht normalisiert: %s)</translation>
        </message>
        <message>
            <source>%s already exists; kept</source>
            <comment>reason</comment>
            <translation>%s existiert bereits; sie bleibt erhalten</translation>
        </message>
        <message>
            <source>not a readable WAV file</source>
            <comment>reason</comment>
            <translation>keine lesbare WAV-Datei</translation>
        </message>
        <message>
            <source>no audio</source>
            <comment>reason</comment>
            <translation>keine Audiodaten</translation>
        </message>
        <message>
            <source>already listed</source>
            <comment>reason</comment>
            <translation>bereits in der Liste</translation>
        </message>
        <message>
            <source>cancelled</source>
            <comment>reason</comment>
            <translation>abgebrochen</translation>
        </message>
        <message>
            <source>the file was cut short</source>
            <comment>reason</comment>
            <translation>die Datei ist abgeschnitten</translation>
        </message>
        <message>
            <source>read error</source>
            <comment>reason</comment>
            <translation>Lesefehler</translation>
        </message>
        <message>
            <source>a symbolic link: repair the file it points to</source>
            <comment>reason</comment>
            <translation>ein symbolischer Link: reparieren Sie die Datei, auf die er zeigt</translation>
        </message>
        <message>
            <source>larger than 1 GiB: not repaired</source>
            <comment>reason</comment>
            <translation>größer als 1 GiB: nicht repariert</translation>
        </message>
        <message>
            <source>cannot write beside %s: %s</source>
            <comment>reason</comment>
            <translation>neben %s kann nicht geschrieben werden: %s</translation>
        </message>
        <message>
            <source>cannot write %s: %s</source>
            <comment>reason</comment>
            <translation>%s kann nicht geschrieben werden: %s</translation>
        </message>
        <message>
            <source>the repaired copy did not check out; nothing was written</source>
            <comment>reason</comment>
            <translation>die reparierte Kopie hat die Prüfung nicht bestanden; es wurde nichts geschrieben</translation>
        </message>
        <message>
            <source>cannot keep the original as %s: %s</source>
            <comment>reason</comment>
            <translation>das Original kann nicht als %s behalten werden: %s</translation>
        </message>
        <message>
            <source>no free backup name beside %s</source>
            <comment>reason</comment>
            <translation>kein freier Sicherungsname neben %s</translation>
        </message>
        <message>
            <source>another file of this name was repaired into the folder in this run</source>
            <comment>reason</comment>
            <translation>eine andere Datei dieses Namens wurde in diesem Lauf in den Ordner repariert</translation>
        </message>
        <message>
            <source>the output folder holds the original itself</source>
            <comment>reason</comment>
            <translation>der Ausgabeordner enthält das Original selbst</translation>
        </message>
        <message>
            <source>%s exists and is kept</source>
            <comment>reason</comment>
            <translation>%s existiert und bleibt erhalten</translation>
        </message>
        <message>
            <source>%s appeared meanwhile and is kept</source>
            <comment>reason</comment>
            <translation>%s ist inzwischen entstanden und bleibt erhalten</translation>
        </message>
        <message>
            <source>cannot replace the original: %s</source>
            <comment>reason</comment>
            <translation>das Original kann nicht ersetzt werden: %s</translation>
        </message>
        <message>
            <source>; written to %s</source>
            <comment>result line</comment>
            <translation>; geschrieben nach %s</translation>
        </message>
        <message>
            <source>; the original is kept as %s</source>
            <comment>result line</comment>
            <translation>; das Original ist als %s behalten</translation>
        </message>
        <message>
            <source>empty file</source>
            <comment>reason</comment>
            <translation>leere Datei</translation>
        </message>
        <message>
            <source>a RIFF (WAV) file, not an MPEG audio stream</source>
            <comment>reason</comment>
            <translation>eine RIFF-(WAV-)Datei, kein MPEG-Audiodatenstrom</translation>
        </message>
        <message>
            <source>no MPEG audio stream after a broken ID3v2 tag</source>
            <comment>reason</comment>
            <translation>kein MPEG-Audiodatenstrom nach einem defekten ID3v2-Tag</translation>
        </message>
        <message>
            <source>no MPEG audio stream found</source>
            <comment>reason</comment>
            <translation>kein MPEG-Audiodatenstrom gefunden</translation>
        </message>
        <message>
            <source>no bit rate holds a VBR header for this stream</source>
            <comment>reason</comment>
            <translation>keine Bitrate fasst einen VBR-Header für diesen Datenstrom</translation>
        </message>
        <message>
            <source>dropped an ID3v2 tag that ran past the end</source>
            <comment>result line</comment>
            <translation>ein ID3v2-Tag entfernt, das über das Ende reichte</translation>
        </message>
        <message>
            <source>dropped %s bytes of junk and partial frames</source>
            <comment>result line</comment>
            <translation>%s Bytes Datenmüll und unvollständige Frames entfernt</translation>
        </message>
        <message>
            <source>dropped %s frames of another format</source>
            <comment>result line</comment>
            <translation>%s Frames eines anderen Formats entfernt</translation>
        </message>
        <message>
            <source>dropped %s VBR header frames inside the stream</source>
            <comment>result line</comment>
            <translation>%s VBR-Header-Frames im Datenstrom entfernt</translation>
        </message>
        <message>
            <source>corrected the %s header (%s frames)</source>
            <comment>result line</comment>
            <translation>den %s-Header korrigiert (%s Frames)</translation>
        </message>
        <message>
            <source>wrote a %s header (%s frames)</source>
            <comment>result line</comment>
            <translation>einen %s-Header geschrieben (%s Frames)</translation>
        </message>
        <message>
            <source>kept %s frames</source>
            <comment>result line</comment>
            <translation>%s Frames behalten</translation>
        </message>
        <message>
            <source>audio data damaged at %s: %s</source>
            <comment>finding</comment>
            <translation>Audiodaten beschädigt bei %s: %s</translation>
        </message>
        <message>
            <source>cannot measure %s channels at %s Hz</source>
            <comment>reason</comment>
            <translation>%s Kanäle bei %s Hz können nicht gemessen werden</translation>
        </message>
        <message>
            <source>, %s invalid header in it</source>
            <comment>finding</comment>
            <translation>, darin %s ungültiger Header</translation>
        </message>
        <message>
            <source>, %s invalid headers in it</source>
            <comment>finding</comment>
            <translation>, darin %s ungültige Header</translation>
        </message>
        <message>
            <source>%s bytes before the first frame%s</source>
            <comment>finding</comment>
            <translation>%s Bytes vor dem ersten Frame%s</translation>
        </message>
        <message>
            <source>%s bytes of junk where the next frame should start%s</source>
            <comment>finding</comment>
            <translation>%s Bytes Datenmüll, wo der nächste Frame beginnen sollte%s</translation>
        </message>
        <message>
            <source>header %s: %s; %s bytes up to the next frame</source>
            <comment>finding</comment>
            <translation>Header %s: %s; %s Bytes bis zum nächsten Frame</translation>
        </message>
        <message>
            <source>reserved version</source>
            <comment>finding</comment>
            <translation>reservierte Version</translation>
        </message>
        <message>
            <source>reserved layer</source>
            <comment>finding</comment>
            <translation>reservierter Layer</translation>
        </message>
        <message>
            <source>reserved sample rate</source>
            <comment>finding</comment>
            <translation>reservierte Abtastrate</translation>
        </message>
        <message>
            <source>forbidden bit rate</source>
            <comment>finding</comment>
            <translation>verbotene Bitrate</translation>
        </message>
        <message>
            <source>free-format bit rate</source>
            <comment>finding</comment>
            <translation>Free-Format-Bitrate</translation>
        </message>
        <message>
            <source>bit rate not allowed in this channel mode</source>
            <comment>finding</comment>
            <translation>in diesem Kanalmodus nicht erlaubte Bitrate</translation>
        </message>
        <message>
            <source>%s where the next frame should start; %s bytes up to the next frame</source>
            <comment>finding</comment>
            <translation>%s, wo der nächste Frame beginnen sollte; %s Bytes bis zum nächsten Frame</translation>
        </message>
        <message>
            <source>an ID3v2 tag</source>
            <comment>finding</comment>
            <translation>ein ID3v2-Tag</translation>
        </message>
        <message>
            <source>an ID3v1 tag</source>
            <comment>finding</comment>
            <translation>ein ID3v1-Tag</translation>
        </message>
        <message>
            <source>an APE tag</source>
            <comment>finding</comment>
            <translation>ein APE-Tag</translation>
        </message>
        <message>
            <source>a frame of %s bytes, only %s present</source>
            <comment>finding</comment>
            <translation>ein Frame von %s Bytes, nur %s vorhanden</translation>
        </message>
        <message>
            <source>%s, then %s</source>
            <comment>finding</comment>
            <translation>%s, dann %s</translation>
        </message>
        <message>
            <source>%s header states %s frames and %s bytes; the stream has %s frames and %s bytes</source>
            <comment>finding</comment>
            <translation>%s-Header nennt %s Frames und %s Bytes; der Datenstrom hat %s Frames und %s Bytes</translation>
        </message>
        <message>
            <source>stored CRC %s, computed %s</source>
            <comment>finding</comment>
            <translation>gespeicherte CRC %s, berechnet %s</translation>
        </message>
        <message>
            <source>the tag claims %s bytes, the file has %s</source>
            <comment>finding</comment>
            <translation>das Tag gibt %s Bytes an, die Datei hat %s</translation>
        </message>
        <message>
            <source>%s bytes after the last frame%s</source>
            <comment>finding</comment>
            <translation>%s Bytes nach dem letzten Frame%s</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CAboutDlg</name>
        <message>
            <source>About Velmora Sonvara 2.0</source>
            <translation>Über Velmora Sonvara 2.0</translation>
        </message>
        <message>
            <source>Program picture</source>
            <translation>Programmbild</translation>
        </message>
        <message>
            <source>&lt;b&gt;Velmora Sonvara 2.0&lt;/b&gt;&lt;br&gt;Version %1</source>
            <translation>&lt;b&gt;Velmora Sonvara 2.0&lt;/b&gt;&lt;br&gt;Version %1</translation>
        </message>
        <message>
            <source>Copyright (C) Velmora. This program checks MP3 files frame by frame, converts between MP3 and WAV and edits title, artist and album tags.&lt;br&gt;&lt;br&gt;MPEG Layer-3 audio coding technology: MP3 files are encoded with the LAME library and decoded with libmpg123; tags are read and written with TagLib. The patents on MPEG Layer-3 audio coding have expired, so no patent licence is needed to encode or decode MP3 files with this program.</source>
            <translation>Copyright (C) Velmora. Dieses Programm prüft MP3-Dateien Frame für Frame, konvertiert zwischen MP3 und WAV und bearbeitet Titel, Interpret und Album.&lt;br&gt;&lt;br&gt;MPEG-Layer-3-Audiocodierung: MP3-Dateien werden mit der Bibliothek LAME codiert und mit libmpg123 decodiert; Tags werden mit TagLib gelesen und geschrieben. Die Patente auf die MPEG-Layer-3-Audiocodierung sind abgelaufen; zum Codieren und Decodieren von MP3-Dateien mit diesem Programm ist keine Patentlizenz nötig.</translation>
        </message>
        <message>
            <source>OK</source>
            <translation>OK</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CConfigSheet</name>
        <message>
            <source>Velmora Sonvara 2.0 Configuration</source>
            <translation>Velmora Sonvara 2.0 Konfiguration</translation>
        </message>
        <message>
            <source>General</source>
            <translation>Allgemein</translation>
        </message>
        <message>
            <source>MP3 Encoder</source>
            <translation>MP3-Encoder</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CConversionDialog</name>
        <message>
            <source>&amp;Start</source>
            <translation>&amp;Starten</translation>
        </message>
        <message>
            <source>S&amp;ettings...</source>
            <translation>&amp;Einstellungen...</translation>
        </message>
        <message>
            <source>%1 converted, %2 failed</source>
            <translation>%1 konvertiert, %2 fehlgeschlagen</translation>
        </message>
        <message>
            <source>, %1 skipped</source>
            <translation>, %1 übersprungen</translation>
        </message>
        <message>
            <source> (stopped)</source>
            <translation> (abgebrochen)</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CDlgLoudness</name>
        <message>
            <source>Write ReplayGain Tags</source>
            <translation>ReplayGain-Tags schreiben</translation>
        </message>
        <message>
            <source>Measure Loudness</source>
            <translation>Lautheit messen</translation>
        </message>
        <message>
            <source>%1 tagged, %2 not tagged</source>
            <translation>%1 mit Tags versehen, %2 ohne Tags</translation>
        </message>
        <message>
            <source>%1 measured, %2 not measured</source>
            <translation>%1 gemessen, %2 nicht gemessen</translation>
        </message>
        <message>
            <source> (stopped)</source>
            <translation> (abgebrochen)</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CDlgMP3Analyzing</name>
        <message>
            <source>Analyze MP3 Files</source>
            <translation>MP3-Dateien analysieren</translation>
        </message>
        <message>
            <source>Analysis stopped: nothing analysed</source>
            <translation>Analyse abgebrochen: nichts analysiert</translation>
        </message>
        <message>
            <source>%1 analysed: %2 OK, %3 corrupt</source>
            <translation>%1 analysiert: %2 OK, %3 defekt</translation>
        </message>
        <message>
            <source> (stopped)</source>
            <translation> (abgebrochen)</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CDlgMP3Repairing</name>
        <message>
            <source>Repair Corrupt Files</source>
            <translation>Defekte Dateien reparieren</translation>
        </message>
        <message>
            <source>%1 repaired, the originals kept as .bak files</source>
            <translation>%1 repariert, die Originale als .bak-Dateien behalten</translation>
        </message>
        <message>
            <source> (stopped)</source>
            <translation> (abgebrochen)</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CDlgMP3TOMP3Converting</name>
        <message>
            <source>Convert MP3 -&gt; MP3</source>
            <translation>MP3 -&gt; MP3 konvertieren</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CDlgMP3TOWAVConverting</name>
        <message>
            <source>Convert MP3 -&gt; WAV</source>
            <translation>MP3 -&gt; WAV konvertieren</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CDlgReadFilesInfo</name>
        <message>
            <source>Read Files Information</source>
            <translation>Dateiinformationen lesen</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CDlgWAVTOMP3Converting</name>
        <message>
            <source>Convert WAV -&gt; MP3</source>
            <translation>WAV -&gt; MP3 konvertieren</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CEncoderPropPage</name>
        <message>
            <source>Bit Rate:</source>
            <translation>Bitrate:</translation>
        </message>
        <message>
            <source>64 kBit/s (Tape quality)</source>
            <translation>64 kBit/s (Kassettenqualität)</translation>
        </message>
        <message>
            <source>96 kBit/s (Tape quality)</source>
            <translation>96 kBit/s (Kassettenqualität)</translation>
        </message>
        <message>
            <source>128 kBit/s (HiFi quality)</source>
            <translation>128 kBit/s (HiFi-Qualität)</translation>
        </message>
        <message>
            <source>160 kBit/s (HiFi quality)</source>
            <translation>160 kBit/s (HiFi-Qualität)</translation>
        </message>
        <message>
            <source>192 kBit/s (CD quality)</source>
            <translation>192 kBit/s (CD-Qualität)</translation>
        </message>
        <message>
            <source>256 kBit/s (Studio quality)</source>
            <translation>256 kBit/s (Studioqualität)</translation>
        </message>
        <message>
            <source>320 kBit/s (Studio quality)</source>
            <translation>320 kBit/s (Studioqualität)</translation>
        </message>
        <message>
            <source>Quality:</source>
            <translation>Qualität:</translation>
        </message>
        <message>
            <source>Normal</source>
            <translation>Normal</translation>
        </message>
        <message>
            <source>Low</source>
            <translation>Niedrig</translation>
        </message>
        <message>
            <source>High</source>
            <translation>Hoch</translation>
        </message>
        <message>
            <source>Encoding with</source>
            <translation>Codierung mit</translation>
        </message>
        <message>
            <source>Variable Bit Rate (VBR)</source>
            <translation>Variable Bitrate (VBR)</translation>
        </message>
        <message>
            <source>Constant Bit Rate (CBR)</source>
            <translation>Konstante Bitrate (CBR)</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CFileListModel</name>
        <message>
            <source>Track</source>
            <translation>Stück</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CFolderTreeCtrl</name>
        <message>
            <source>Folders</source>
            <translation>Ordner</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CFolderTreeModel</name>
        <message>
            <source>Reading…</source>
            <translation>Lese…</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CGenPropPage</name>
        <message>
            <source>Track Directory:</source>
            <translation>Ausgabeverzeichnis:</translation>
        </message>
        <message>
            <source>Track Directory</source>
            <translation>Ausgabeverzeichnis</translation>
        </message>
        <message>
            <source>...</source>
            <translation>...</translation>
        </message>
        <message>
            <source>Choose the track directory</source>
            <translation>Ausgabeverzeichnis wählen</translation>
        </message>
        <message>
            <source>Read ID3 Tag</source>
            <translation>ID3-Tag lesen</translation>
        </message>
        <message>
            <source>Normalize</source>
            <translation>Normalisieren</translation>
        </message>
        <message>
            <source>WAV Format</source>
            <translation>WAV-Format</translation>
        </message>
        <message>
            <source>WAV uncompressed (1:1)</source>
            <translation>WAV unkomprimiert (1:1)</translation>
        </message>
        <message>
            <source>WAV compressed (1:4)</source>
            <translation>WAV komprimiert (1:4)</translation>
        </message>
        <message>
            <source>Try to convert corrupt files</source>
            <translation>Versuchen, defekte Dateien zu konvertieren</translation>
        </message>
        <message>
            <source>Select Path</source>
            <translation>Pfad wählen</translation>
        </message>
        <message>
            <source>Normalize to</source>
            <translation>Normalisieren auf</translation>
        </message>
        <message>
            <source>to a common peak (95 %)</source>
            <translation>auf gemeinsamen Spitzenpegel (95 %)</translation>
        </message>
        <message>
            <source>to -23 LUFS (EBU R 128)</source>
            <translation>auf -23 LUFS (EBU R 128)</translation>
        </message>
        <message>
            <source>to -18 LUFS (ReplayGain)</source>
            <translation>auf -18 LUFS (ReplayGain)</translation>
        </message>
        <message>
            <source>to -16 LUFS</source>
            <translation>auf -16 LUFS</translation>
        </message>
        <message>
            <source>to -14 LUFS</source>
            <translation>auf -14 LUFS</translation>
        </message>
        <message>
            <source>A loudness target brings each track to the same loudness as listeners hear it; the gain stops where the true peak would pass -1 dBTP.</source>
            <translation>Ein Lautheitsziel bringt jeden Titel auf dieselbe hörbare Lautheit; die Verstärkung endet dort, wo der True Peak -1 dBTP überschreiten würde.</translation>
        </message>
        <message>
            <source>Decode every frame when analysing (slower)</source>
            <translation>Beim Analysieren jeden Frame dekodieren (langsamer)</translation>
        </message>
        <message>
            <source>A frame the decoder rejects makes the file Corrupt and is listed on the Check page of its properties.</source>
            <translation>Ein Frame, den der Decoder zurückweist, macht die Datei defekt und wird auf der Seite „Prüfung“ ihrer Eigenschaften aufgeführt.</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CHelpBrowser</name>
        <message>
            <source>Velmora Sonvara 2.0 Help</source>
            <translation>Velmora Sonvara 2.0 Hilfe</translation>
        </message>
        <message>
            <source>Help</source>
            <translation>Hilfe</translation>
        </message>
        <message>
            <source>Help page</source>
            <translation>Hilfeseite</translation>
        </message>
        <message>
            <source>&amp;Back</source>
            <translation>&amp;Zurück</translation>
        </message>
        <message>
            <source>&amp;Forward</source>
            <translation>&amp;Vorwärts</translation>
        </message>
        <message>
            <source>&amp;Contents</source>
            <translation>&amp;Inhalt</translation>
        </message>
        <message>
            <source>Velmora Sonvara 2.0 Help - %1</source>
            <translation>Velmora Sonvara 2.0 Hilfe - %1</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CListSelectedTracksListView</name>
        <message>
            <source>Selected tracks</source>
            <translation>Ausgewählte Stücke</translation>
        </message>
        <message>
            <source>Selected tracks menu</source>
            <translation>Menü der ausgewählten Stücke</translation>
        </message>
        <message>
            <source>&amp;Edit ID3-Tags</source>
            <translation>ID3-Tags &amp;bearbeiten</translation>
        </message>
        <message>
            <source>&amp;Remove</source>
            <translation>&amp;Entfernen</translation>
        </message>
        <message>
            <source>&amp;Play Track</source>
            <translation>Stück &amp;abspielen</translation>
        </message>
        <message>
            <source>&amp;Stop Playing</source>
            <translation>Wiedergabe &amp;stoppen</translation>
        </message>
        <message>
            <source>Analyze</source>
            <translation>Analysieren</translation>
        </message>
        <message>
            <source>&amp;Convert MP3 -&gt; WAV</source>
            <translation>MP3 -&gt; WAV &amp;konvertieren</translation>
        </message>
        <message>
            <source>C&amp;onvert WAV -&gt; MP3</source>
            <translation>WAV -&gt; MP3 k&amp;onvertieren</translation>
        </message>
        <message>
            <source>C&amp;onvert MP3 -&gt; MP3</source>
            <translation>MP3 -&gt; MP3 ko&amp;nvertieren</translation>
        </message>
        <message>
            <source>All...</source>
            <translation>Alle...</translation>
        </message>
        <message>
            <source>Only selected...</source>
            <translation>Nur ausgewählte...</translation>
        </message>
        <message>
            <source>Measure &amp;Loudness</source>
            <translation>&amp;Lautheit messen</translation>
        </message>
        <message>
            <source>Write &amp;ReplayGain Tags</source>
            <translation>&amp;ReplayGain-Tags schreiben</translation>
        </message>
        <message>
            <source>Rep&amp;air Corrupt Files</source>
            <translation>&amp;Defekte Dateien reparieren</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CListTracksView</name>
        <message>
            <source>Track files</source>
            <translation>Musikdateien</translation>
        </message>
        <message>
            <source>Track files header</source>
            <translation>Spaltenköpfe der Musikdateien</translation>
        </message>
        <message>
            <source>Track files menu</source>
            <translation>Menü der Musikdateien</translation>
        </message>
        <message>
            <source>Add &amp;Tracks</source>
            <translation>S&amp;tücke hinzufügen</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CMainFrame</name>
        <message>
            <source>Velmora Sonvara 2.0</source>
            <translation>Velmora Sonvara 2.0</translation>
        </message>
        <message>
            <source>Main splitter</source>
            <translation>Hauptteiler</translation>
        </message>
        <message>
            <source>Left splitter</source>
            <translation>Linker Teiler</translation>
        </message>
        <message>
            <source>&amp;Save Analysis Results...</source>
            <translation>Analyseergebnisse &amp;speichern...</translation>
        </message>
        <message>
            <source>&amp;Move &amp;&amp; Save Corrupt Files...</source>
            <translation>Defekte Dateien &amp;verschieben &amp;&amp; speichern...</translation>
        </message>
        <message>
            <source>E&amp;xit</source>
            <translation>&amp;Beenden</translation>
        </message>
        <message>
            <source>&amp;Analyze...</source>
            <translation>&amp;Analysieren...</translation>
        </message>
        <message>
            <source>&amp;Convert MP3 -&gt; WAV...</source>
            <translation>MP3 -&gt; WAV &amp;konvertieren...</translation>
        </message>
        <message>
            <source>C&amp;onvert WAV -&gt; MP3...</source>
            <translation>WAV -&gt; MP3 k&amp;onvertieren...</translation>
        </message>
        <message>
            <source>C&amp;onvert MP3 -&gt; MP3...</source>
            <translation>MP3 -&gt; MP3 ko&amp;nvertieren...</translation>
        </message>
        <message>
            <source>&amp;Edit ID3-Tags</source>
            <translation>ID3-Tags &amp;bearbeiten</translation>
        </message>
        <message>
            <source>Add &amp;Tracks</source>
            <translation>S&amp;tücke hinzufügen</translation>
        </message>
        <message>
            <source>&amp;Remove Tracks</source>
            <translation>Stücke &amp;entfernen</translation>
        </message>
        <message>
            <source>&amp;Play Track</source>
            <translation>Stück &amp;abspielen</translation>
        </message>
        <message>
            <source>&amp;Stop Playing</source>
            <translation>Wiedergabe &amp;stoppen</translation>
        </message>
        <message>
            <source>&amp;Settings</source>
            <translation>&amp;Einstellungen</translation>
        </message>
        <message>
            <source>&amp;Toolbar</source>
            <translation>&amp;Werkzeugleiste</translation>
        </message>
        <message>
            <source>&amp;Status Bar</source>
            <translation>&amp;Statusleiste</translation>
        </message>
        <message>
            <source>&amp;Contents</source>
            <translation>&amp;Inhalt</translation>
        </message>
        <message>
            <source>&amp;About...</source>
            <translation>Ü&amp;ber...</translation>
        </message>
        <message>
            <source>New</source>
            <translation>Neu</translation>
        </message>
        <message>
            <source>Menu bar</source>
            <translation>Menüleiste</translation>
        </message>
        <message>
            <source>&amp;File</source>
            <translation>&amp;Datei</translation>
        </message>
        <message>
            <source>&amp;Sonvara</source>
            <translation>&amp;Sonvara</translation>
        </message>
        <message>
            <source>&amp;Edit</source>
            <translation>&amp;Bearbeiten</translation>
        </message>
        <message>
            <source>&amp;Options</source>
            <translation>&amp;Optionen</translation>
        </message>
        <message>
            <source>&amp;View</source>
            <translation>&amp;Ansicht</translation>
        </message>
        <message>
            <source>&amp;Help</source>
            <translation>&amp;Hilfe</translation>
        </message>
        <message>
            <source>Toolbar</source>
            <translation>Werkzeugleiste</translation>
        </message>
        <message>
            <source>Status bar</source>
            <translation>Statusleiste</translation>
        </message>
        <message>
            <source>Tracks: 0       </source>
            <translation>Stücke: 0       </translation>
        </message>
        <message>
            <source>Tracks</source>
            <translation>Stücke</translation>
        </message>
        <message>
            <source>WAVs: 0       </source>
            <translation>WAVs: 0       </translation>
        </message>
        <message>
            <source>WAVs</source>
            <translation>WAVs</translation>
        </message>
        <message>
            <source>MP3s: 0        </source>
            <translation>MP3s: 0        </translation>
        </message>
        <message>
            <source>MP3s</source>
            <translation>MP3s</translation>
        </message>
        <message>
            <source>Tracks: %1</source>
            <translation>Stücke: %1</translation>
        </message>
        <message>
            <source>MP3s: %1</source>
            <translation>MP3s: %1</translation>
        </message>
        <message>
            <source>WAVs: %1</source>
            <translation>WAVs: %1</translation>
        </message>
        <message>
            <source>Sort &amp;By</source>
            <translation>Sortieren &amp;nach</translation>
        </message>
        <message>
            <source>&amp;Then By</source>
            <translation>&amp;Dann nach</translation>
        </message>
        <message>
            <source>Last run</source>
            <translation>Letzter Lauf</translation>
        </message>
        <message>
            <source>Next Pane</source>
            <translation>Nächster Bereich</translation>
        </message>
        <message>
            <source>Previous Pane</source>
            <translation>Voriger Bereich</translation>
        </message>
        <message>
            <source>Measure &amp;Loudness...</source>
            <translation>&amp;Lautheit messen...</translation>
        </message>
        <message>
            <source>Write &amp;ReplayGain Tags...</source>
            <translation>&amp;ReplayGain-Tags schreiben...</translation>
        </message>
        <message>
            <source>&amp;Repair Corrupt Files...</source>
            <translation>Defekte Dateien &amp;reparieren...</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CRunDialog</name>
        <message>
            <source>&amp;Cancel</source>
            <translation>&amp;Abbrechen</translation>
        </message>
        <message>
            <source>Results:</source>
            <translation>Ergebnisse:</translation>
        </message>
        <message>
            <source>Results</source>
            <translation>Ergebnisse</translation>
        </message>
        <message>
            <source>Current File:</source>
            <translation>Aktuelle Datei:</translation>
        </message>
        <message>
            <source>Current File</source>
            <translation>Aktuelle Datei</translation>
        </message>
        <message>
            <source>Progress</source>
            <translation>Fortschritt</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CRunService</name>
        <message>
            <source>An unknown error stopped the work.</source>
            <translation>Ein unbekannter Fehler hat die Arbeit beendet.</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CSonvaraDoc</name>
        <message>
            <source>Save Analysis Results</source>
            <translation>Analyseergebnisse speichern</translation>
        </message>
        <message>
            <source>Plain text file (*.txt)</source>
            <translation>Textdatei (*.txt)</translation>
        </message>
        <message>
            <source>Analysis Results</source>
            <translation>Analyseergebnisse</translation>
        </message>
        <message>
            <source>Move All Corrupt Files</source>
            <translation>Alle defekten Dateien verschieben</translation>
        </message>
        <message>
            <source>&amp;Move</source>
            <translation>&amp;Verschieben</translation>
        </message>
        <message>
            <source>The analysis results are saved only as a plain text file (.txt); nothing was written.</source>
            <translation>Die Analyseergebnisse werden nur als Textdatei (.txt) gespeichert; es wurde nichts geschrieben.</translation>
        </message>
        <message>
            <source>Move &amp; Save Corrupt Files</source>
            <translation>Defekte Dateien verschieben &amp; speichern</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CSortHeader</name>
        <message>
            <source>Column headers</source>
            <translation>Spaltenköpfe</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CSplashWnd</name>
        <message>
            <source>Velmora Sonvara 2.0</source>
            <translation>Velmora Sonvara 2.0</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CTrackListModel</name>
        <message>
            <source>Loudness</source>
            <translation>Lautheit</translation>
        </message>
    </context>
    <context>
        <name>sonvara::CTreeView1</name>
        <message>
            <source>Folder tree</source>
            <translation>Ordnerbaum</translation>
        </message>
        <message>
            <source> Drives</source>
            <translation> Laufwerke</translation>
        </message>
        <message>
            <source>Folder tree menu</source>
            <translation>Menü des Ordnerbaums</translation>
        </message>
        <message>
            <source>Add &amp;Tracks</source>
            <translation>S&amp;tücke hinzufügen</translation>
        </message>
    </context>
</TS>
