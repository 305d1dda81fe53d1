#!/usr/bin/env python3
"""Fills the German translation sonvara_de.ts from the glossary below.

After `lupdate` added new texts (build the target `sonvara_lupdate`), add their German to
GLOSSARY and run this script; it reports every text still without German. Texts are keyed by
their English source (and, where the same English needs two translations, by source and
comment).
"""
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

GLOSSARY = {
    # Diagnosis and repair
    'Junk before the first frame': 'Datenmüll vor dem ersten Frame',
    'Lost sync': 'Synchronisation verloren',
    'Invalid frame header': 'Ungültiger Frame-Header',
    'Truncated last frame': 'Letzter Frame abgeschnitten',
    'Stream format changes': 'Format des Datenstroms wechselt',
    'VBR header disagrees': 'VBR-Header stimmt nicht',
    'CRC mismatch': 'CRC stimmt nicht',
    'ID3v2 tag runs past the end': 'ID3v2-Tag reicht über das Dateiende',
    'Tag inside the audio': 'Tag mitten in den Audiodaten',
    'Data after the last frame': 'Daten nach dem letzten Frame',
    'Audio data damaged': 'Audiodaten beschädigt',
    'Findings': 'Befunde',
    'Severity': 'Schwere',
    'Kind': 'Art',
    'Time': 'Zeit',
    'Offset': 'Position',
    'What': 'Was',
    'Only MP3 files are checked frame by frame.': 'Nur MP3-Dateien werden Frame für Frame geprüft.',
    'Not checked: %1': 'Nicht geprüft: %1',
    '%1: %2 frames, nothing found.': '%1: %2 Frames, nichts gefunden.',
    '%1: %2 frames, %3 findings.': '%1: %2 Frames, %3 Befunde.',
    'Error': 'Fehler',
    'An unknown error stopped the work.': 'Ein unbekannter Fehler hat die Arbeit beendet.',
    'Warning': 'Warnung',
    'Check': 'Prüfung',
    'Repairing': 'Repariere',
    '        ===> REPAIRED: %s': '        ===> REPARIERT: %s',
    '        ===> Nothing to repair': '        ===> Nichts zu reparieren',
    '        ===> NOT REPAIRED: %s': '        ===> NICHT REPARIERT: %s',
    'Repair Corrupt Files': 'Defekte Dateien reparieren',
    '%1 repaired, the originals kept as .bak files':
        '%1 repariert, die Originale als .bak-Dateien behalten',
    'Rep&air Corrupt Files': '&Defekte Dateien reparieren',
    '&Repair Corrupt Files...': 'Defekte Dateien &reparieren...',
    # The core's string table
    ("no", "analysis column"): "nein",
    ("no", "conversion column"): "nein",
    "OK": "OK",
    "Corrupt": "Defekt",
    "can't convert": "nicht konvertierbar",
    "WAV -> MP3": "WAV -> MP3",
    "MP3 -> WAV": "MP3 -> WAV",
    "MP3 -> MP3": "MP3 -> MP3",
    "Analyzing": "Analysiere",
    "Converting": "Konvertiere",
    "Normalizing": "Normalisiere",
    "Measuring": "Messe",
    "Writing tags": "Schreibe Tags",
    "        ===> %s": "        ===> %s",
    "        ===> Album: %s": "        ===> Album: %s",
    "        ===> NOT MEASURED: %s": "        ===> NICHT GEMESSEN: %s",
    "        ===> ReplayGain tags written: %s": "        ===> ReplayGain-Tags geschrieben: %s",
    "        ===> TAGS NOT WRITTEN: %s": "        ===> TAGS NICHT GESCHRIEBEN: %s",
    "cannot open: %s": "kann nicht geöffnet werden: %s",
    "read error: %s": "Lesefehler: %s",
    "no MPEG audio frames": "keine MPEG-Audio-Frames",
    "%s is also the output of %s": "%s ist auch die Ausgabe von %s",
    "%s was written by this run a moment ago; it is kept":
        "%s wurde eben in diesem Lauf geschrieben; sie bleibt erhalten",
    "%s appeared while converting; it is kept":
        "%s ist während der Konvertierung entstanden; sie bleibt erhalten",
    ("unknown", "reason"): "unbekannt",
    "(%s LUFS)": "(%s LUFS)",
    "(%s LUFS: target %s LUFS not reached, true peak held at %s dBTP)":
        "(%s LUFS: Ziel %s LUFS nicht erreicht, True Peak bei %s dBTP gehalten)",
    "(not normalised: %s)": "(nicht normalisiert: %s)",
    "%s already exists; kept": "%s existiert bereits; sie bleibt erhalten",
    "not a readable WAV file": "keine lesbare WAV-Datei",
    ("no audio", "reason"): "keine Audiodaten",
    "already listed": "bereits in der Liste",
    ("cancelled", "reason"): "abgebrochen",
    ('the file was cut short', 'reason'): 'die Datei ist abgeschnitten',
    ('read error', 'reason'): 'Lesefehler',
    ('a symbolic link: repair the file it points to', 'reason'): 'ein symbolischer Link: reparieren Sie die Datei, auf die er zeigt',
    ('larger than 1 GiB: not repaired', 'reason'): 'größer als 1 GiB: nicht repariert',
    ('cannot write beside %s: %s', 'reason'): 'neben %s kann nicht geschrieben werden: %s',
    ('cannot write %s: %s', 'reason'): '%s kann nicht geschrieben werden: %s',
    ('the repaired copy did not check out; nothing was written', 'reason'): 'die reparierte Kopie hat die Prüfung nicht bestanden; es wurde nichts geschrieben',
    ('cannot keep the original as %s: %s', 'reason'): 'das Original kann nicht als %s behalten werden: %s',
    ('no free backup name beside %s', 'reason'): 'kein freier Sicherungsname neben %s',
    ('another file of this name was repaired into the folder in this run', 'reason'): 'eine andere Datei dieses Namens wurde in diesem Lauf in den Ordner repariert',
    ('the output folder holds the original itself', 'reason'): 'der Ausgabeordner enthält das Original selbst',
    ('%s exists and is kept', 'reason'): '%s existiert und bleibt erhalten',
    ('%s appeared meanwhile and is kept', 'reason'): '%s ist inzwischen entstanden und bleibt erhalten',
    ('cannot replace the original: %s', 'reason'): 'das Original kann nicht ersetzt werden: %s',
    ('; written to %s', 'result line'): '; geschrieben nach %s',
    ('; the original is kept as %s', 'result line'): '; das Original ist als %s behalten',
    ('empty file', 'reason'): 'leere Datei',
    ('a RIFF (WAV) file, not an MPEG audio stream', 'reason'): 'eine RIFF-(WAV-)Datei, kein MPEG-Audiodatenstrom',
    ('no MPEG audio stream after a broken ID3v2 tag', 'reason'): 'kein MPEG-Audiodatenstrom nach einem defekten ID3v2-Tag',
    ('no MPEG audio stream found', 'reason'): 'kein MPEG-Audiodatenstrom gefunden',
    ('no bit rate holds a VBR header for this stream', 'reason'): 'keine Bitrate fasst einen VBR-Header für diesen Datenstrom',
    ('dropped an ID3v2 tag that ran past the end', 'result line'): 'ein ID3v2-Tag entfernt, das über das Ende reichte',
    ('dropped %s bytes of junk and partial frames', 'result line'): '%s Bytes Datenmüll und unvollständige Frames entfernt',
    ('dropped %s frames of another format', 'result line'): '%s Frames eines anderen Formats entfernt',
    ('dropped %s VBR header frames inside the stream', 'result line'): '%s VBR-Header-Frames im Datenstrom entfernt',
    ('corrected the %s header (%s frames)', 'result line'): 'den %s-Header korrigiert (%s Frames)',
    ('wrote a %s header (%s frames)', 'result line'): 'einen %s-Header geschrieben (%s Frames)',
    ('kept %s frames', 'result line'): '%s Frames behalten',
    ('audio data damaged at %s: %s', 'finding'): 'Audiodaten beschädigt bei %s: %s',
    ('cannot measure %s channels at %s Hz', 'reason'): '%s Kanäle bei %s Hz können nicht gemessen werden',
    (', %s invalid header in it', 'finding'): ', darin %s ungültiger Header',
    (', %s invalid headers in it', 'finding'): ', darin %s ungültige Header',
    ('%s bytes before the first frame%s', 'finding'): '%s Bytes vor dem ersten Frame%s',
    ('%s bytes of junk where the next frame should start%s', 'finding'): '%s Bytes Datenmüll, wo der nächste Frame beginnen sollte%s',
    ('header %s: %s; %s bytes up to the next frame', 'finding'): 'Header %s: %s; %s Bytes bis zum nächsten Frame',
    ('reserved version', 'finding'): 'reservierte Version',
    ('reserved layer', 'finding'): 'reservierter Layer',
    ('reserved sample rate', 'finding'): 'reservierte Abtastrate',
    ('forbidden bit rate', 'finding'): 'verbotene Bitrate',
    ('free-format bit rate', 'finding'): 'Free-Format-Bitrate',
    ('bit rate not allowed in this channel mode', 'finding'): 'in diesem Kanalmodus nicht erlaubte Bitrate',
    ('%s where the next frame should start; %s bytes up to the next frame', 'finding'): '%s, wo der nächste Frame beginnen sollte; %s Bytes bis zum nächsten Frame',
    ('an ID3v2 tag', 'finding'): 'ein ID3v2-Tag',
    ('an ID3v1 tag', 'finding'): 'ein ID3v1-Tag',
    ('an APE tag', 'finding'): 'ein APE-Tag',
    ('a frame of %s bytes, only %s present', 'finding'): 'ein Frame von %s Bytes, nur %s vorhanden',
    ('%s, then %s', 'finding'): '%s, dann %s',
    ('%s header states %s frames and %s bytes; the stream has %s frames and %s bytes', 'finding'): '%s-Header nennt %s Frames und %s Bytes; der Datenstrom hat %s Frames und %s Bytes',
    ('stored CRC %s, computed %s', 'finding'): 'gespeicherte CRC %s, berechnet %s',
    ('the tag claims %s bytes, the file has %s', 'finding'): 'das Tag gibt %s Bytes an, die Datei hat %s',
    ('%s bytes after the last frame%s', 'finding'): '%s Bytes nach dem letzten Frame%s',
    "Normalize to": "Normalisieren auf",
    "Loudness": "Lautheit",
    "Measure &Loudness...": "&Lautheit messen...",
    "Write &ReplayGain Tags...": "&ReplayGain-Tags schreiben...",
    "Measure &Loudness": "&Lautheit messen",
    "Write &ReplayGain Tags": "&ReplayGain-Tags schreiben",
    "Write ReplayGain Tags": "ReplayGain-Tags schreiben",
    "Measure Loudness": "Lautheit messen",
    "%1 tagged, %2 not tagged": "%1 mit Tags versehen, %2 ohne Tags",
    "%1 measured, %2 not measured": "%1 gemessen, %2 nicht gemessen",
    "to a common peak (95 %)": "auf gemeinsamen Spitzenpegel (95 %)",
    "to -23 LUFS (EBU R 128)": "auf -23 LUFS (EBU R 128)",
    "to -18 LUFS (ReplayGain)": "auf -18 LUFS (ReplayGain)",
    "to -16 LUFS": "auf -16 LUFS",
    "to -14 LUFS": "auf -14 LUFS",
    "A loudness target brings each track to the same loudness as listeners hear it; "
    "the gain stops where the true peak would pass -1 dBTP.":
        "Ein Lautheitsziel bringt jeden Titel auf dieselbe hörbare Lautheit; die Verstärkung "
        "endet dort, wo der True Peak -1 dBTP überschreiten würde.",
    "        ===> File OK! %s": "        ===> Datei OK! %s",
    "        ===> FILE CORRUPT!!! %s Please convert.":
        "        ===> DATEI DEFEKT!!! %s Bitte konvertieren.",
    "Aborted at user request!": "Auf Wunsch des Benutzers abgebrochen!",
    "        ===> NOT CONVERTED: %s": "        ===> NICHT KONVERTIERT: %s",
    "        ===> NOT CHECKED: %s": "        ===> NICHT GEPRÜFT: %s",
    "The file \n%s\nalready exists, should it overwrite ?":
        "Die Datei \n%s\nexistiert bereits. Soll sie überschrieben werden?",
    "Not enough disk free space": "Nicht genügend freier Speicherplatz",
    "The free disk space of %s cannot be measured: %s":
        "Der freie Speicherplatz von %s kann nicht ermittelt werden: %s",
    "ATTENTION: The track directory for your original files AND\n"
    "the directory for your output files are the same. If you\n"
    "proceed the original file(s) will be overwritten.\n"
    "Please change the track directory in the register \"General\".\n"
    "Click on \"Settings\" to open the configuration dialog.":
        "ACHTUNG: Das Verzeichnis Ihrer Originaldateien UND\n"
        "das Verzeichnis der Ausgabedateien sind gleich. Wenn Sie\n"
        "fortfahren, werden die Originaldateien überschrieben.\n"
        "Bitte ändern Sie das Ausgabeverzeichnis auf der Seite \"Allgemein\".\n"
        "Klicken Sie auf \"Einstellungen\", um die Konfiguration zu öffnen.",
    "The output file\n%s\nis the source itself; it is not written.":
        "Die Ausgabedatei\n%s\nist die Quelldatei selbst; sie wird nicht geschrieben.",
    "The track directory %s cannot be created: %s":
        "Das Ausgabeverzeichnis %s kann nicht angelegt werden: %s",
    "%s cannot be moved: %s": "%s kann nicht verschoben werden: %s",
    "%s: cannot write the report": "%s: der Bericht kann nicht geschrieben werden",
    "The folder %s cannot be created: %s": "Der Ordner %s kann nicht angelegt werden: %s",
    "%s holds a file of the same name moved there a moment ago; this one stays where it is":
        "%s enthält eine gleichnamige Datei, die eben dorthin verschoben wurde; diese bleibt, "
        "wo sie ist",
    "The setting %s cannot be used; the default %s is used instead.":
        "Die Einstellung %s ist nicht verwendbar; stattdessen gilt der Standardwert %s.",
    "The settings %s contradict each other; %s is used.":
        "Die Einstellungen %s widersprechen sich; %s wird verwendet.",
    "The settings cannot be saved (%s). Changes last until the program ends.":
        "Die Einstellungen können nicht gespeichert werden (%s). Änderungen gelten nur bis "
        "zum Programmende.",
    "Track;": "Stück;",
    "File;Check;Convert;Title;Artist;Album;Length;Path;":
        "Datei;Prüfung;Konvertierung;Titel;Interpret;Album;Länge;Pfad;",
    "Analysis Results": "Analyseergebnisse",
    # About box
    "About Velmora Sonvara 2.0": "Über Velmora Sonvara 2.0",
    "Program picture": "Programmbild",
    "<b>Velmora Sonvara 2.0</b><br>Version %1": "<b>Velmora Sonvara 2.0</b><br>Version %1",
    "Copyright (C) Velmora. This program checks MP3 files frame by frame, converts between MP3 "
    "and WAV and edits title, artist and album tags.<br><br>MPEG Layer-3 audio coding "
    "technology: MP3 files are encoded with the LAME library and decoded with libmpg123; tags "
    "are read and written with TagLib. The patents on MPEG Layer-3 audio coding have expired, "
    "so no patent licence is needed to encode or decode MP3 files with this program.":
        "Copyright (C) Velmora. Dieses Programm prüft MP3-Dateien Frame für Frame, konvertiert "
        "zwischen MP3 und WAV und bearbeitet Titel, Interpret und Album.<br><br>MPEG-Layer-3-"
        "Audiocodierung: MP3-Dateien werden mit der Bibliothek LAME codiert und mit libmpg123 "
        "decodiert; Tags werden mit TagLib gelesen und geschrieben. Die Patente auf die "
        "MPEG-Layer-3-Audiocodierung sind abgelaufen; zum Codieren und Decodieren von MP3-Dateien "
        "mit diesem Programm ist keine Patentlizenz nötig.",
    # Options sheet
    "Velmora Sonvara 2.0 Configuration": "Velmora Sonvara 2.0 Konfiguration",
    "General": "Allgemein",
    "MP3 Encoder": "MP3-Encoder",
    "Bit Rate:": "Bitrate:",
    "64 kBit/s (Tape quality)": "64 kBit/s (Kassettenqualität)",
    "96 kBit/s (Tape quality)": "96 kBit/s (Kassettenqualität)",
    "128 kBit/s (HiFi quality)": "128 kBit/s (HiFi-Qualität)",
    "160 kBit/s (HiFi quality)": "160 kBit/s (HiFi-Qualität)",
    "192 kBit/s (CD quality)": "192 kBit/s (CD-Qualität)",
    "256 kBit/s (Studio quality)": "256 kBit/s (Studioqualität)",
    "320 kBit/s (Studio quality)": "320 kBit/s (Studioqualität)",
    "Quality:": "Qualität:",
    "Normal": "Normal",
    "Low": "Niedrig",
    "High": "Hoch",
    "Encoding with": "Codierung mit",
    "Variable Bit Rate (VBR)": "Variable Bitrate (VBR)",
    "Constant Bit Rate (CBR)": "Konstante Bitrate (CBR)",
    "Track Directory:": "Ausgabeverzeichnis:",
    "Track Directory": "Ausgabeverzeichnis",
    "...": "...",
    "Choose the track directory": "Ausgabeverzeichnis wählen",
    "Read ID3 Tag": "ID3-Tag lesen",
    "Normalize": "Normalisieren",
    "WAV Format": "WAV-Format",
    "WAV uncompressed (1:1)": "WAV unkomprimiert (1:1)",
    "WAV compressed (1:4)": "WAV komprimiert (1:4)",
    "Try to convert corrupt files": "Versuchen, defekte Dateien zu konvertieren",
    "Decode every frame when analysing (slower)":
        "Beim Analysieren jeden Frame dekodieren (langsamer)",
    "A frame the decoder rejects makes the file Corrupt and is listed on the Check page of its properties.":
        "Ein Frame, den der Decoder zurückweist, macht die Datei defekt und wird auf der Seite "
        "„Prüfung“ ihrer Eigenschaften aufgeführt.",
    "Select Path": "Pfad wählen",
    # Run dialogs
    "&Start": "&Starten",
    "S&ettings...": "&Einstellungen...",
    "Analyze MP3 Files": "MP3-Dateien analysieren",
    "Convert MP3 -> MP3": "MP3 -> MP3 konvertieren",
    "Convert MP3 -> WAV": "MP3 -> WAV konvertieren",
    "Convert WAV -> MP3": "WAV -> MP3 konvertieren",
    "Results:": "Ergebnisse:",
    "Results": "Ergebnisse",
    "Current File": "Aktuelle Datei",
    # Track properties sheet
    "Album:": "Album:",
    "Album": "Album",
    "Artist:": "Interpret:",
    "Artist": "Interpret",
    "Change && next": "Ändern && weiter",
    "Change && previous": "Ändern && zurück",
    "File:": "Datei:",
    "File": "Datei",
    "Format:": "Format:",
    "Format": "Format",
    "Length:": "Länge:",
    "Length": "Länge",
    "Play": "Abspielen",
    "Position:": "Position:",
    "Position": "Position",
    "Properties of: %1": "Eigenschaften von: %1",
    "Properties": "Eigenschaften",
    "Sampling Rate:": "Abtastrate:",
    "Sampling Rate": "Abtastrate",
    "Stop": "Stopp",
    "The tags could not be saved.\n\n%1": "Die Tags konnten nicht gespeichert werden.\n\n%1",
    "Title:": "Titel:",
    "Title": "Titel",
    # Reading files
    "Read Files Information": "Dateiinformationen lesen",
    "Current File:": "Aktuelle Datei:",
    "Current file": "Aktuelle Datei",
    "Progress": "Fortschritt",
    "&Cancel": "&Abbrechen",
    "Cancel": "Abbrechen",
    "Reading…": "Lese…",
    # Lists and tree
    "Track": "Stück",
    "Folders": "Ordner",
    "Selected tracks": "Ausgewählte Stücke",
    "Selected tracks menu": "Menü der ausgewählten Stücke",
    "&Remove": "&Entfernen",
    "Analyze": "Analysieren",
    "&Convert MP3 -> WAV": "MP3 -> WAV &konvertieren",
    "C&onvert WAV -> MP3": "WAV -> MP3 k&onvertieren",
    "C&onvert MP3 -> MP3": "MP3 -> MP3 ko&nvertieren",
    "All...": "Alle...",
    "Only selected...": "Nur ausgewählte...",
    "Track files": "Musikdateien",
    "Track files header": "Spaltenköpfe der Musikdateien",
    "Track files menu": "Menü der Musikdateien",
    "Column headers": "Spaltenköpfe",
    "Folder tree": "Ordnerbaum",
    " Drives": " Laufwerke",
    "Folder tree menu": "Menü des Ordnerbaums",
    # Help
    "Velmora Sonvara 2.0 Help": "Velmora Sonvara 2.0 Hilfe",
    "Help": "Hilfe",
    "Help page": "Hilfeseite",
    "&Back": "&Zurück",
    "&Forward": "&Vorwärts",
    "&Contents": "&Inhalt",
    "Velmora Sonvara 2.0 Help - %1": "Velmora Sonvara 2.0 Hilfe - %1",
    # Main window
    "Velmora Sonvara 2.0": "Velmora Sonvara 2.0",
    "Main splitter": "Hauptteiler",
    "Left splitter": "Linker Teiler",
    "&Save Analysis Results...": "Analyseergebnisse &speichern...",
    "&Move && Save Corrupt Files...": "Defekte Dateien &verschieben && speichern...",
    "E&xit": "&Beenden",
    "&Analyze...": "&Analysieren...",
    "&Convert MP3 -> WAV...": "MP3 -> WAV &konvertieren...",
    "C&onvert WAV -> MP3...": "WAV -> MP3 k&onvertieren...",
    "C&onvert MP3 -> MP3...": "MP3 -> MP3 ko&nvertieren...",
    "&Edit ID3-Tags": "ID3-Tags &bearbeiten",
    "Add &Tracks": "S&tücke hinzufügen",
    "&Remove Tracks": "Stücke &entfernen",
    "&Play Track": "Stück &abspielen",
    "&Stop Playing": "Wiedergabe &stoppen",
    "&Settings": "&Einstellungen",
    "&Toolbar": "&Werkzeugleiste",
    "&Status Bar": "&Statusleiste",
    "Sort &By": "Sortieren &nach",
    "Next Pane": "Nächster Bereich",
    "Previous Pane": "Voriger Bereich",
    "&Then By": "&Dann nach",
    "Last run": "Letzter Lauf",
    "%1 analysed: %2 OK, %3 corrupt": "%1 analysiert: %2 OK, %3 defekt",
    " (stopped)": " (abgebrochen)",
    "Analysis stopped: nothing analysed": "Analyse abgebrochen: nichts analysiert",
    "%1 converted, %2 failed": "%1 konvertiert, %2 fehlgeschlagen",
    ", %1 skipped": ", %1 übersprungen",
    "&About...": "Ü&ber...",
    "New": "Neu",
    "Menu bar": "Menüleiste",
    "&File": "&Datei",
    "&Sonvara": "&Sonvara",
    "&Edit": "&Bearbeiten",
    "&Options": "&Optionen",
    "&View": "&Ansicht",
    "&Help": "&Hilfe",
    "Toolbar": "Werkzeugleiste",
    "Status bar": "Statusleiste",
    "Tracks: 0       ": "Stücke: 0       ",
    "Tracks": "Stücke",
    "WAVs: 0       ": "WAVs: 0       ",
    "WAVs": "WAVs",
    "MP3s: 0        ": "MP3s: 0        ",
    "MP3s": "MP3s",
    "Tracks: %1": "Stücke: %1",
    "MP3s: %1": "MP3s: %1",
    "WAVs: %1": "WAVs: %1",
    "Save Analysis Results": "Analyseergebnisse speichern",
    "Plain text file (*.txt)": "Textdatei (*.txt)",
    "Move All Corrupt Files": "Alle defekten Dateien verschieben",
    "&Move": "&Verschieben",
    "The analysis results are saved only as a plain text file (.txt); nothing was written.":
        "Die Analyseergebnisse werden nur als Textdatei (.txt) gespeichert; es wurde nichts "
        "geschrieben.",
    "Move & Save Corrupt Files": "Defekte Dateien verschieben & speichern",
}


def main():
    args = sys.argv[1:]
    check = "--check" in args  # only report, write nothing
    args = [a for a in args if a != "--check"]
    path = Path(args[0] if args else Path(__file__).with_name("sonvara_de.ts"))
    tree = ET.parse(path)
    missing = []
    for context in tree.getroot().iter("context"):
        for message in context.iter("message"):
            source = message.findtext("source")
            comment = message.findtext("comment")
            german = GLOSSARY.get((source, comment), GLOSSARY.get(source))
            translation = message.find("translation")
            if check:
                if translation.get("type") in ("unfinished", "vanished", "obsolete") or \
                        not translation.text:
                    missing.append(source)
                continue
            if german is None:
                if translation.get("type") == "unfinished" or not translation.text:
                    missing.append(source)
                continue
            translation.text = german
            translation.attrib.pop("type", None)
    if check:
        for source in missing:
            print("no German for:", repr(source))
        return 1 if missing else 0
    ET.indent(tree, space="    ")
    with open(path, "wb") as out:
        out.write(b'<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n')
        tree.write(out, encoding="utf-8", xml_declaration=False)
        out.write(b"\n")
    for source in missing:
        print("no German for:", repr(source))
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
