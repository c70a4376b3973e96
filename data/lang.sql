-- The language database Lang.db. Table Languages holds the short texts by translation group
-- (Form: "Message" for messages, else the window's Tag) and English key; every further column is
-- a language. A NULL cell means "not translated yet": the English text is shown. The program adds
-- the texts it meets that are missing here, with empty language columns.

CREATE TABLE Languages (
  Form TEXT NOT NULL COLLATE NOCASE,
  English TEXT NOT NULL COLLATE NOCASE,
  German TEXT,
  PRIMARY KEY (Form, English)
);

CREATE TABLE LangMemo (
  Form TEXT NOT NULL COLLATE NOCASE,
  Tag TEXT NOT NULL COLLATE NOCASE,
  English TEXT,
  German TEXT,
  PRIMARY KEY (Form, Tag)
);

CREATE TABLE Errors (
  ErrNo INTEGER PRIMARY KEY,
  English TEXT,
  German TEXT
);

-- Messages and the locations of the error reports.
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Starting', 'Programmstart');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'gsReadIni(RENI)', 'Lesen der Einstellungen');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'getIni(General)', 'Lesen einer Einstellung');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Writing ini-file', 'Schreiben der Einstellungsdatei');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Reading the position of form', 'Lesen der Fensterposition');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Writing the position of form', 'Schreiben der Fensterposition');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'File not found!', 'Datei nicht gefunden!');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Places', 'Fensterpositionen');

-- Units and temperatures.
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Celsius', 'Celsius');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'µm', 'µm');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'µm/m', 'µm/m');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'mm', 'mm');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'in', 'in');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'in/ft', 'in/ft');
INSERT INTO Languages (Form, English, German) VALUES ('Message', '°C', '°C');
INSERT INTO Languages (Form, English, German) VALUES ('Message', '°F', '°F');
INSERT INTO Languages (Form, English, German) VALUES ('Message', '/min', '/min');

-- Help files: the German program has no help files of its own yet, so the English names stay.
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'EngAna.hlp', 'EngAna.hlp');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'EngErr.hlp', 'EngErr.hlp');

-- The main window.
INSERT INTO Languages (Form, English, German) VALUES ('Main', 'Sarvotrenk Analysis', 'Sarvotrenk Analyse');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&File', '&Datei');
INSERT INTO Languages (Form, English, German) VALUES ('Main', 'New &measurement...', 'Neue &Messung...');
INSERT INTO Languages (Form, English, German) VALUES ('Main', 'Open case from &file...', 'Fall aus &Datei öffnen...');
INSERT INTO Languages (Form, English, German) VALUES ('Main', 'Open case from &database...', 'Fall aus Daten&bank öffnen...');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&Save...', '&Speichern...');
INSERT INTO Languages (Form, English, German) VALUES ('Main', 'Save case &to file...', 'Fall in Datei s&ichern...');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&Batch saving...', 'S&tapelweise speichern...');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&Print...', '&Drucken...');
INSERT INTO Languages (Form, English, German) VALUES ('Main', 'E&xit', '&Beenden');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&Analysis', '&Analyse');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&Graph...', '&Grafik...');
INSERT INTO Languages (Form, English, German) VALUES ('Main', 'R&esults...', '&Ergebnisse...');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&Result Graph...', 'E&rgebnisgrafik...');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&Trend...', '&Trend...');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&Settings', '&Einstellungen');
INSERT INTO Languages (Form, English, German) VALUES ('Main', 'C&ombine', '&Kombinieren');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&Toolbar', '&Werkzeugleiste');
INSERT INTO Languages (Form, English, German) VALUES ('Main', 'Max. number of &points', 'Max. Anzahl &Punkte');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&500 points', '&500 Punkte');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&1000 points', '&1000 Punkte');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&2000 points', '&2000 Punkte');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&4000 points', '&4000 Punkte');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&8000 points', '&8000 Punkte');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&Units', 'Ein&heiten');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&Metric', '&Metrisch');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&Inches', '&Zoll');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&Machines...', '&Maschinen...');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&Language...', '&Sprache...');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&Configure...', 'K&onfigurieren...');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&Window', '&Fenster');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&Arrange', '&Anordnen');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&Help', '&Hilfe');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&Contents', '&Inhalt');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&How to use help', '&Hilfe verwenden');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&Information on error types', '&Informationen zu Fehlerarten');
INSERT INTO Languages (Form, English, German) VALUES ('Main', '&About...', '&Über...');
INSERT INTO Languages (Form, English, German) VALUES ('Main', 'Exit Sarvotrenk', 'Sarvotrenk beenden');
INSERT INTO Languages (Form, English, German) VALUES ('Main', 'Start measurement', 'Messung starten');
INSERT INTO Languages (Form, English, German) VALUES ('Main', 'Open case from file', 'Fall aus Datei öffnen');
INSERT INTO Languages (Form, English, German) VALUES ('Main', 'Open case from database', 'Fall aus Datenbank öffnen');
INSERT INTO Languages (Form, English, German) VALUES ('Main', 'Save case to database', 'Fall in Datenbank speichern');
INSERT INTO Languages (Form, English, German) VALUES ('Main', 'Print report', 'Bericht drucken');
INSERT INTO Languages (Form, English, German) VALUES ('Main', 'Draw Graph', 'Grafik zeichnen');
INSERT INTO Languages (Form, English, German) VALUES ('Main', 'Show Result', 'Ergebnis zeigen');
INSERT INTO Languages (Form, English, German) VALUES ('Main', 'Trend analysis', 'Trendanalyse');
INSERT INTO Languages (Form, English, German) VALUES ('Main', 'Show help window', 'Hilfefenster zeigen');
INSERT INTO Languages (Form, English, German) VALUES ('Main', 'Toolbar', 'Werkzeugleiste');

INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Retrieving recent case', 'Öffnen eines zuletzt benutzten Falls');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Saving to file', 'Speichern in Datei');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Save case to file', 'Fall in Datei speichern');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Set the plane first, please.', 'Bitte zuerst die Ebene angeben.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The measurement has not been saved. Leave the program all the same?', 'Die Messung ist nicht gespeichert. Das Programm trotzdem beenden?');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'How to use help', 'Hilfe verwenden');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Follow the underlined links to move between topics. Use the Back and Forward keys (Alt+Left, Alt+Right) to return to pages you have seen.', 'Folgen Sie den unterstrichenen Verweisen, um zwischen den Themen zu wechseln. Mit Alt+Links und Alt+Rechts kehren Sie zu bereits gesehenen Seiten zurück.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Read only', 'Schreibgeschützt');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'openDB ', 'Öffnen der Falldatenbank');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Checking database fields', 'Prüfen der Datenbankfelder');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Preparing form', 'Vorbereiten des Fensters');

-- The small common windows.
INSERT INTO Languages (Form, English, German) VALUES ('frmFirst', 'Sarvotrenk Analysis Software', 'Sarvotrenk Analyse-Software');
INSERT INTO Languages (Form, English, German) VALUES ('frmFirst', 'Version:', 'Version:');
INSERT INTO Languages (Form, English, German) VALUES ('frmFirst', 'Circular test analysis for machine tools', 'Kreisformprüfung an Werkzeugmaschinen');
INSERT INTO Languages (Form, English, German) VALUES ('About', 'Sarvotrenk Analysis', 'Sarvotrenk Analyse');
INSERT INTO Languages (Form, English, German) VALUES ('About', 'Version: ', 'Version: ');
INSERT INTO Languages (Form, English, German) VALUES ('About', 'C&opyright', 'C&opyright');
INSERT INTO Languages (Form, English, German) VALUES ('About', '&Limitation of liability', '&Haftungsbeschränkung');
INSERT INTO Languages (Form, English, German) VALUES ('About', '&Close', '&Schließen');
INSERT INTO Languages (Form, English, German) VALUES ('About', 'Circular test analysis for machine tools', 'Kreisformprüfung an Werkzeugmaschinen');
INSERT INTO Languages (Form, English, German) VALUES ('About', 'All rights reserved.', 'Alle Rechte vorbehalten.');
INSERT INTO Languages (Form, English, German) VALUES ('Help', 'Help', 'Hilfe');
INSERT INTO Languages (Form, English, German) VALUES ('Help', '&Close', '&Schließen');
INSERT INTO Languages (Form, English, German) VALUES ('Wait', 'Sarvotrenk', 'Sarvotrenk');
INSERT INTO Languages (Form, English, German) VALUES ('Wait', 'One moment, please...', 'Einen Augenblick bitte...');
INSERT INTO Languages (Form, English, German) VALUES ('Input', 'Kysymys', 'Frage');
INSERT INTO Languages (Form, English, German) VALUES ('Input', '&OK', '&OK');
INSERT INTO Languages (Form, English, German) VALUES ('Input', '&Cancel', '&Abbrechen');
-- The question window takes the main window's caption as it stands, in the language of the moment.
INSERT INTO Languages (Form, English, German) VALUES ('Input', 'Sarvotrenk Analysis', 'Sarvotrenk Analyse');
INSERT INTO Languages (Form, English, German) VALUES ('Input', 'Sarvotrenk Analyse', 'Sarvotrenk Analyse');
INSERT INTO Languages (Form, English, German) VALUES ('Language', 'Language', 'Sprache');
INSERT INTO Languages (Form, English, German) VALUES ('Language', 'Select the language, please:', 'Bitte wählen Sie die Sprache:');
INSERT INTO Languages (Form, English, German) VALUES ('Language', '&OK', '&OK');
INSERT INTO Languages (Form, English, German) VALUES ('Language', '&Cancel', '&Abbrechen');
INSERT INTO LangMemo (Form, Tag, English, German) VALUES ('About', 'Limit', NULL, 'Diese Software wird „wie besehen“ bereitgestellt. Sarvotex übernimmt keinerlei ausdrückliche oder stillschweigende Gewährleistung, auch nicht für die Marktgängigkeit, die Eignung für einen bestimmten Zweck oder die Freiheit von Rechten Dritter. Die Ergebnisse einer Kreisformprüfung hängen vom Aufbau der Maschine, vom Messgerät und seiner Kalibrierung sowie von der Sorgfalt des Bedieners ab; Fachpersonal muss sie prüfen, bevor eine Maschine eingestellt, instand gesetzt oder abgenommen wird. In keinem Fall haftet Sarvotex für unmittelbare, mittelbare, zufällige oder Folgeschäden, Produktionsausfall, Verlust von Maschinenzeit oder Datenverlust, die aus der Benutzung dieser Software entstehen.');

-- The error-model fit and its parts: report locations and the names of the error influences.
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Calculating errors', 'Berechnung der Maschinenfehler');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Formulae(CalcMatrix)', 'Berechnung (Matrix des Fehlermodells)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Formulae(GetResidual)', 'Berechnung (Restfehler)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Formulae(GetPitchFit)', 'Berechnung (Spindelsteigung)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Formulae(GetPitchPrep)', 'Berechnung (Vorbereitung der Steigungssuche)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Formulae(CalcSpectrum)', 'Berechnung (Spektrum)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Formulae(HighPassOld)', 'Berechnung (Hochpassfilter)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Formulae(CalcVibration)', 'Berechnung (Schwingungen)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Formulae(SetInfluence)', 'Berechnung (Rangfolge der Fehlereinflüsse)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Backlash', 'Umkehrspiel');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Lateral Play', 'Seitliches Spiel');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Mismatch', 'Maßstabsabweichung');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Cyclic', 'Zyklischer Fehler');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Servo', 'Servo-Fehlanpassung');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Stick Slip', 'Stick-Slip');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Axis Spike', 'Umkehrspitze');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Squareness', 'Rechtwinkligkeit');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Straightness', 'Geradheit');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Vibration', 'Schwingung');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Dir. Vibration', 'Gerichtete Schwingung');

-- Measurement files: report locations and messages of the readers and writers.
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Reading header2', 'Lesen des Dateikopfs (.dbb)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Reading measuring', 'Lesen der Messung');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Reading header3', 'Lesen des Dateikopfs (binäre .dbb)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Reading DBB-File', 'Lesen der DBB-Datei');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Reading header4', 'Lesen des Dateikopfs (.rtb)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Reading RTB-File (Reni.ReadRtb)', 'Lesen der RTB-Datei');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Saving to rtb-file', 'Speichern in RTB-Datei');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'CheckForMachine(Reni)', 'Prüfen der Maschine');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Adding a machine', 'Hinzufügen einer Maschine');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Loading machine list', 'Laden der Maschinenliste');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Loading form', 'Laden des Fensters');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Retrieval of file list', 'Abrufen der Dateiliste');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Reading file (frmOpenfile.cmdOK_Click)', 'Lesen der Datei');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Formulae(CalcCircularity)', 'Berechnung (Rundheit)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Formulae(CalcISOF)', 'Berechnung (ISO F)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Formulae(CalcISOG)', 'Berechnung (ISO G)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Formulae(CalcISOH)', 'Berechnung (ISO H)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Formulae(CalcMZC)', 'Berechnung (Mindestzonenkreis)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'A 2-D case names at most four files.', 'Ein 2-D-Fall nennt höchstens vier Dateien.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'A 2-D case names its first file.', 'Ein 2-D-Fall nennt seine erste Datei.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'A dynamic test needs a positive feedrate.', 'Ein dynamischer Test braucht einen positiven Vorschub.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'A machine needs a name.', 'Eine Maschine braucht einen Namen.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'A measurement holds at most seven runs.', 'Eine Messung enthält höchstens sieben Läufe.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'A point value is out of range.', 'Ein Messwert liegt außerhalb des zulässigen Bereichs.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'A run block holds more than %1 lines before its points.', 'Ein Laufblock hat mehr als %1 Zeilen vor seinen Punkten.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'A sample of run %1 is not a number.', 'Ein Messwert von Lauf %1 ist keine Zahl.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Do you want to read more files to this measurement?', 'Möchten Sie weitere Dateien zu dieser Messung lesen?');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'File format not recognized!', 'Dateiformat nicht erkannt!');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Files of this type cannot be read yet.', 'Dateien dieses Typs können noch nicht gelesen werden.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Open', 'Öffnen');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Run %1 has fewer than three points.', 'Lauf %1 hat weniger als drei Punkte.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Run %1 has more points than a run can hold.', 'Lauf %1 hat mehr Punkte, als ein Lauf aufnehmen kann.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Run %1 has no points.', 'Lauf %1 hat keine Punkte.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The 2-D case names no folder.', 'Der 2-D-Fall nennt keinen Ordner.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The file ends before its header is complete.', 'Die Datei endet vor dem Ende ihres Kopfes.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The file ends before its last sample.', 'Die Datei endet vor ihrem letzten Messwert.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The file ends inside the points of run %1.', 'Die Datei endet innerhalb der Punkte von Lauf %1.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The file holds no run.', 'Die Datei enthält keinen Lauf.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The file is too large for a measurement file.', 'Die Datei ist für eine Messdatei zu groß.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The file is too short for a binary .dbb file.', 'Die Datei ist für eine binäre .dbb-Datei zu kurz.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The files in the same measurement must have an equal size sector.', 'Die Dateien einer Messung müssen gleich große Sektoren haben.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The folder of a 2-D case must be followed by a blank and the file names.', 'Auf den Ordner eines 2-D-Falls müssen ein Leerzeichen und die Dateinamen folgen.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The header''s %1 is not a number.', 'Der Kopfeintrag %1 ist keine Zahl.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The measured arc %1 to %2 degrees lies outside -360 to 720 degrees.', 'Der gemessene Bogen von %1 bis %2 Grad liegt außerhalb von -360 bis 720 Grad.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The run has no points.', 'Der Lauf hat keine Punkte.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The swept angle %1 is out of range.', 'Der überstrichene Winkel %1 liegt außerhalb des zulässigen Bereichs.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The value of "%1" is out of range.', 'Der Wert von "%1" liegt außerhalb des zulässigen Bereichs.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The value of "%1" must be a positive number.', 'Der Wert von "%1" muss eine positive Zahl sein.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'feedrate', 'Vorschub');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'item %1', 'Eintrag %1');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'sample', 'Messwert');

-- The open-file and machine-list windows.
INSERT INTO Languages (Form, English, German) VALUES ('frmOpenfile', 'Open file', 'Datei öffnen');
INSERT INTO Languages (Form, English, German) VALUES ('frmOpenfile', 'Directory:', 'Ordner:');
INSERT INTO Languages (Form, English, German) VALUES ('frmOpenfile', 'File type:', 'Dateityp:');
INSERT INTO Languages (Form, English, German) VALUES ('frmOpenfile', 'Select case:', 'Fall wählen:');
INSERT INTO Languages (Form, English, German) VALUES ('frmOpenfile', '&OK', '&OK');
INSERT INTO Languages (Form, English, German) VALUES ('frmOpenfile', '&Cancel', '&Abbrechen');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Brintovale (*.brv)', 'Brintovale (*.brv)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Renishaw (*.rtb)', 'Renishaw (*.rtb)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Renishaw (*.b5r)', 'Renishaw (*.b5r)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Heidenhain (*.dbb)', 'Heidenhain (*.dbb)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Contisure (*g.*)', 'Contisure (*g.*)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', '2-D measurement (*.2d2)', '2D-Messung (*.2d2)');
INSERT INTO Languages (Form, English, German) VALUES ('MacList', 'Machines', 'Maschinen');
INSERT INTO Languages (Form, English, German) VALUES ('MacList', 'is same as:', 'ist dieselbe wie:');
INSERT INTO Languages (Form, English, German) VALUES ('MacList', '&OK', '&OK');
INSERT INTO Languages (Form, English, German) VALUES ('MacList', '&Cancel', '&Abbrechen');
INSERT INTO Languages (Form, English, German) VALUES ('MacList', '&New', '&Neu');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'A static run holds one point every 45 degrees: %1 points do not fit an arc of %2 degrees.', 'Ein statischer Lauf hat alle 45 Grad einen Punkt: %1 Punkte passen nicht zu einem Bogen von %2 Grad.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The test date "%1" is not a date.', 'Das Prüfdatum "%1" ist kein Datum.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The readings of run %1 end before its %2.', 'Die Messwerte von Lauf %1 enden vor seinem %2.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'A reading of run %1 is not a number.', 'Ein Messwert von Lauf %1 ist keine Zahl.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The file is no well-formed XML (%1 at byte %2).', 'Die Datei ist kein wohlgeformtes XML (%1 bei Byte %2).');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The XML file has no root element.', 'Die XML-Datei hat kein Wurzelelement.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The file has no element "%1".', 'Die Datei hat kein Element "%1".');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The value of "%1" is not a number.', 'Der Wert von "%1" ist keine Zahl.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The value of "%1" must not be negative.', 'Der Wert von "%1" darf nicht negativ sein.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Run %1 has no element "%2".', 'Lauf %1 hat kein Element "%2".');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'last point', 'letzten Punkt');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Run %1 holds more readings than its TARGETS says.', 'Lauf %1 enthält mehr Messwerte, als sein TARGETS angibt.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The element %1 has no attribute %2.', 'Das Element %1 hat kein Attribut %2.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'START_INDEX %1 and END_INDEX %2 name no readings: the first reading must be 0 or later and the last not before the first.', 'START_INDEX %1 und END_INDEX %2 bezeichnen keine Messwerte: der erste Messwert muss 0 oder später sein und der letzte nicht vor dem ersten.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The file holds no %1 element.', 'Die Datei enthält kein Element %1.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The file holds fewer END_INDEX than START_INDEX elements.', 'Die Datei enthält weniger END_INDEX- als START_INDEX-Elemente.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Run %1 has no READINGS.', 'Lauf %1 hat keine READINGS.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'A dynamic test needs the START_INDEX and END_INDEX of its runs.', 'Eine dynamische Messung braucht START_INDEX und END_INDEX ihrer Läufe.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The file was not read because no machine was chosen for it.', 'Die Datei wurde nicht gelesen, weil keine Maschine für sie gewählt wurde.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The date "%1" in %2 cannot be read; the measurement takes the current date and time.', 'Das Datum "%1" in %2 kann nicht gelesen werden; die Messung erhält das aktuelle Datum und die aktuelle Uhrzeit.');

-- The results window's values: run directions, and the tab and frame captions of its pages
-- (the hidden tab-caption labels carry the access keys; "All" serves both).
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'CW', 'UZS');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'CCW', 'GUZS');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'All', 'Alle');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'A&xis Spike ', '&Umkehrspitze ');
INSERT INTO Languages (Form, English, German) VALUES ('result', '&Backlash', 'Umkehr&spiel');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'C&ircularity', '&Rundheit');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'C&yclic', '&Zyklisch');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'IS&O', 'IS&O');
INSERT INTO Languages (Form, English, German) VALUES ('result', '&Lateral Play', 'Seitliches Spie&l');
INSERT INTO Languages (Form, English, German) VALUES ('result', '&Scale', '&Maßstab');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'S&ervo', 'S&ervo');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'S&quareness', 'Rec&htwinkligkeit');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Stic&k Slip', 'Stic&k-Slip');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'S&traightness', '&Geradheit');
INSERT INTO Languages (Form, English, German) VALUES ('result', '&Vibration', 'Sch&wingung');
INSERT INTO Languages (Form, English, German) VALUES ('result', '&Pareto', '&Pareto');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Axis Spike', 'Umkehrspitze');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Backlash Step', 'Umkehrspiel');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Circularity', 'Rundheit');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Cyclic Error', 'Zyklischer Fehler');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Circularity according ISO 230-4', 'Rundheit nach ISO 230-4');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Lateral Play', 'Seitliches Spiel');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Scale Error', 'Maßstabsfehler');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Servo Response', 'Servoverhalten');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Squareness Error', 'Rechtwinkligkeitsfehler');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Stick Slip', 'Stick-Slip');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Straightness', 'Geradheit');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Random Vibration', 'Zufällige Schwingung');
INSERT INTO Languages (Form, English, German) VALUES ('result', ' The most important error sources', ' Die wichtigsten Fehlerquellen');

-- The results window's fixed texts and the hints at the foot of its pages. A hint longer than a
-- key stands in LangMemo under its label's name.
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Analysis Results', 'Analyseergebnisse');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Help', 'Hilfe');
INSERT INTO Languages (Form, English, German) VALUES ('result', '&Close', 'S&chließen');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Fault tree', 'Fehlerbaum');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Co&py', 'Kop&ieren');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Copy to clipboard', 'In die Zwischenablage kopieren');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Average Feedrate', 'Mittlerer Vorschub');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Measured Feedrate', 'Gemessener Vorschub');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Best Radius', 'Ausgleichsradius');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Centre Offset', 'Mittelpunktversatz');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Circularity Value', 'Rundheitswert');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Max Value', 'Maximalwert');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Max Position', 'Position des Maximums');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Min Value', 'Minimalwert');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Min Position', 'Position des Minimums');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'LSC', 'LSC');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'MZC', 'MZC');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Axes', 'Achsen');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Value', 'Wert');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Position', 'Position');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Pitch', 'Steigung');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Phase', 'Phase');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Run', 'Lauf');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Round', 'Lauf');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'G', 'G');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'G(b)', 'G(b)');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'D', 'D');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Fmin / Fmax', 'Fmin / Fmax');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Backlash', 'Umkehrspiel');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Axis Spike Value', 'Wert der Umkehrspitze');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Stick Slip Value', 'Stick-Slip-Wert');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Scale Error Value', 'Wert des Maßstabsfehlers');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Scale Mismatch', 'Maßstabsabweichung');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Servo Mismatch', 'Servo-Fehlanpassung');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Squareness Error Value', 'Wert des Rechtwinkligkeitsfehlers');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Random Vibration Value', 'Wert der zufälligen Schwingung');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Directional Vibration', 'Gerichtete Schwingung');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Directional Vibration Value', 'Wert der gerichteten Schwingung');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Power spectrum', 'Leistungsspektrum');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'arcsec', 'Winkelsekunden');
INSERT INTO Languages (Form, English, German) VALUES ('result', '%', '%');
INSERT INTO Languages (Form, English, German) VALUES ('result', '/min', '/min');
INSERT INTO Languages (Form, English, German) VALUES ('result', '°', '°');
INSERT INTO Languages (Form, English, German) VALUES ('result', '0 °', '0 °');
INSERT INTO Languages (Form, English, German) VALUES ('result', '90 °', '90 °');
INSERT INTO Languages (Form, English, German) VALUES ('result', '180 °', '180 °');
INSERT INTO Languages (Form, English, German) VALUES ('result', '270 °', '270 °');
INSERT INTO Languages (Form, English, German) VALUES ('result', '±180 °', '±180 °');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'The value of axis spike increases on higher feedrates. So to confirm analysis another measurement with higher feedrate is needed.  ', 'Die Umkehrspitze wächst mit dem Vorschub. Zur Bestätigung der Analyse ist deshalb eine weitere Messung mit höherem Vorschub nötig.');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'If pitch values are bigger than the radius of ball bar measurement, it is probable that straightness error on the axis can cause this amount of cyclic error.', 'Sind die Steigungswerte größer als der Radius der Kugelstabmessung, verursacht wahrscheinlich ein Geradheitsfehler der Achse einen zyklischen Fehler dieser Größe.');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Bi-directional circular deviation G(b) and mean bi-directional radial deviation D are calculated only if the measurement contains one CW and one CCW circle. Circular deviation G and Radial deviation F is calculated for each round independently.', 'Die bidirektionale Kreisformabweichung G(b) und die mittlere bidirektionale radiale Abweichung D werden nur berechnet, wenn die Messung je einen Kreis im Uhrzeigersinn und gegen den Uhrzeigersinn enthält. Die Kreisformabweichung G und die radiale Abweichung F werden für jeden Lauf einzeln berechnet.');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'Both directions have to be measured to estimate value of the lateral play. The value of lateral play depends on the position on table.', 'Um das seitliche Spiel abzuschätzen, müssen beide Richtungen gemessen werden. Das seitliche Spiel hängt von der Position auf dem Tisch ab.');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'This servo mismatch value is proportional and shows only mismatch of axis gains. Values on different machine tools can not be compared to each others.', 'Die Servo-Fehlanpassung ist ein Verhältniswert und zeigt nur die Fehlanpassung der Achsverstärkungen (Kv-Faktoren). Werte verschiedener Werkzeugmaschinen lassen sich nicht miteinander vergleichen.');
INSERT INTO Languages (Form, English, German) VALUES ('result', 'The value of stick slip depends on the feedrate. So to confirm analysis another measurement with different feedrate is needed.', 'Der Stick-Slip-Wert hängt vom Vorschub ab. Zur Bestätigung der Analyse ist deshalb eine weitere Messung mit anderem Vorschub nötig.');
INSERT INTO LangMemo (Form, Tag, English, German) VALUES ('result', 'LblHint(2)', NULL, 'Um das Umkehrspiel der Werkzeugmaschine zu kompensieren, sollte mit dem Vorschub gemessen werden, mit dem auch die kritischen Bearbeitungen laufen. Bei statischen Messungen sehen Umkehrspiel und seitliches Spiel ähnlich aus; um sie zu unterscheiden, auch dynamisch messen.');
INSERT INTO LangMemo (Form, Tag, English, German) VALUES ('result', 'LblHint(7)', NULL, 'Mit einem nicht kalibrierten Kugelstab lassen sich absolute Maßstabsfehler nicht bestimmen; in diesem Fall wird nur die Maßstabsabweichung gezeigt. Hängt der absolute Maßstabsfehler vom Vorschub ab, hat die Maschine möglicherweise einen erheblichen Schleppfehler.');
INSERT INTO LangMemo (Form, Tag, English, German) VALUES ('result', 'LblHint(9)', NULL, 'Wird nur eine Richtung gemessen, lassen sich Servo-Fehler und Rechtwinkligkeitsfehler nicht unterscheiden: Der Rechtwinkligkeitsfehler enthält dann auch den Einfluss des Servo-Fehlers. Um beide Fehler zu trennen, sollten beide Richtungen gemessen werden.');
INSERT INTO LangMemo (Form, Tag, English, German) VALUES ('result', 'LblHint(11)', NULL, 'Ist die Steigung der Kugelgewindetriebe der Werkzeugmaschine größer als der Radius der Kugelstabmessung, kann der zyklische Fehler der Kugelgewindetriebe wie ein Geradheitsfehler aussehen. Besteht dieser Verdacht, ist eine neue Messung mit größerem Radius nötig.');

-- The case-information panel; the unit labels keep their texts.
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'Basic Information', 'Grundinformationen');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', '&Basics', '&Grunddaten');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', '&Details', '&Details');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', '&Close', '&Schließen');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'File Name:', 'Dateiname:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'Machine:', 'Maschine:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'Date:', 'Datum:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'Measured By:', 'Gemessen von:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'Customer:', 'Kunde:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'Measurement Session:', 'Messreihe:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'Ball Bar Length:', 'Kugelstablänge:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'Plane:', 'Ebene:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'Feedrate:', 'Vorschub:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'Capture Type:', 'Messart:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'Maximum Targets:', 'Max. Anzahl Punkte:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'Sampling Rate:', 'Abtastrate:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'Calibration:', 'Kalibrierung:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'Comment:', 'Bemerkung:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'Origin of Measurement in Machine Coordinates:', 'Messursprung in Maschinenkoordinaten:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'x:', 'x:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'y:', 'y:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'z:', 'z:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'Gauge Expansion Coefficent:', 'Ausdehnungskoeffizient Kugelstab:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'Machine Expansion Coefficent:', 'Ausdehnungskoeffizient Maschine:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'Gauge Temperature:', 'Temperatur Kugelstab:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'Machine Temperature:', 'Temperatur Maschine:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'Ballbar Name:', 'Kugelstab-Bezeichnung:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'Ballbar Scale Factor:', 'Kugelstab-Skalierungsfaktor:');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'mm', 'mm');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'mm/min', 'mm/min');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', 'ppm', 'ppm');
INSERT INTO Languages (Form, English, German) VALUES ('Basic', '°C', '°C');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Dynamic', 'Dynamisch');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Static', 'Statisch');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Calibrated', 'Kalibriert');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Non-Calibrated', 'Nicht kalibriert');

-- The graph windows.
INSERT INTO Languages (Form, English, German) VALUES ('frmGraph', 'Original Measurement Graph', 'Grafik der Originalmessung');
INSERT INTO Languages (Form, English, German) VALUES ('frmGraph', ' CW', ' UZS');
INSERT INTO Languages (Form, English, German) VALUES ('frmGraph', ' CCW', ' GUZS');
INSERT INTO Languages (Form, English, German) VALUES ('frmGraph', 'CW', 'UZS');
INSERT INTO Languages (Form, English, German) VALUES ('frmGraph', 'CCW', 'GUZS');
INSERT INTO Languages (Form, English, German) VALUES ('frmGraph', 'Both', 'Beide');
INSERT INTO Languages (Form, English, German) VALUES ('frmGraph', '&Close', '&Schließen');
INSERT INTO Languages (Form, English, German) VALUES ('frmGraph', '&Print', '&Drucken');
INSERT INTO Languages (Form, English, German) VALUES ('frmGraph', '/div', '/Teil');
INSERT INTO Languages (Form, English, German) VALUES ('frmGraph', 'Linear', 'Linear');
INSERT INTO Languages (Form, English, German) VALUES ('frmGraph', 'Polar', 'Polar');
INSERT INTO Languages (Form, English, German) VALUES ('frmGraph', 'MZC', 'MZC');
INSERT INTO Languages (Form, English, German) VALUES ('frmGraph', 'Scale', 'Maßstab');
INSERT INTO Languages (Form, English, German) VALUES ('frmGraph', 'Truncated!', 'Abgeschnitten!');
INSERT INTO Languages (Form, English, German) VALUES ('frmAnaGraph', 'Analysis Result Graph', 'Grafik des Analyseergebnisses');
INSERT INTO Languages (Form, English, German) VALUES ('frmAnaGraph', ' CW', ' UZS');
INSERT INTO Languages (Form, English, German) VALUES ('frmAnaGraph', ' CCW', ' GUZS');
INSERT INTO Languages (Form, English, German) VALUES ('frmAnaGraph', 'CW', 'UZS');
INSERT INTO Languages (Form, English, German) VALUES ('frmAnaGraph', 'CCW', 'GUZS');
INSERT INTO Languages (Form, English, German) VALUES ('frmAnaGraph', 'Both', 'Beide');
INSERT INTO Languages (Form, English, German) VALUES ('frmAnaGraph', '&Close', '&Schließen');
INSERT INTO Languages (Form, English, German) VALUES ('frmAnaGraph', 'C&ombine', '&Kombinieren');
INSERT INTO Languages (Form, English, German) VALUES ('frmAnaGraph', 'Linear', 'Linear');
INSERT INTO Languages (Form, English, German) VALUES ('frmAnaGraph', 'Polar', 'Polar');
INSERT INTO Languages (Form, English, German) VALUES ('frmAnaGraph', 'Truncated!', 'Abgeschnitten!');
INSERT INTO Languages (Form, English, German) VALUES ('frmAnaGraph', 'µm/Grid', 'µm/Teil');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Original Measurement', 'Originalmessung');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Analysis Result', 'Analyseergebnis');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Graph', 'Grafik');

-- The configuration window and its messages.
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', 'Configuration', 'Konfiguration');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', 'Temperature Units:', 'Temperatureinheit:');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', 'Gauge Expansion Coefficient:', 'Ausdehnungskoeffizient des Messgeräts:');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', 'Calibrator Expansion Coefficient:', 'Ausdehnungskoeffizient des Kalibrators:');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', 'ppm/°C', 'ppm/°C');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', 'ppm/°F', 'ppm/°F');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', 'Scale Factor:', 'Skalierungsfaktor:');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', 'Static Measurements / Point:', 'Statische Messungen / Punkt:');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', 'Reliability of Ball Bar:', 'Zuverlässigkeit des Kugelstabs:');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', 'Equipment', 'Ausrüstung');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', 'Renishaw', 'Renishaw');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', 'Heidenhain IK110', 'Heidenhain IK110');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', 'Heidenhain IK121', 'Heidenhain IK121');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', 'Brintovale', 'Brintovale');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', 'Communication Port:', 'Schnittstelle:');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', 'Base Address (in hexadecimal):', 'Basisadresse (hexadezimal):');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', 'Axis Number:', 'Achsnummer:');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', '1. Axis', '1. Achse');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', '2. Axis', '2. Achse');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', 'I/O-Address (in hexadecimal):', 'E/A-Adresse (hexadezimal):');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', 'Interrupt Number:', 'Interrupt-Nummer:');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', 'Automatic port detection', 'Schnittstelle automatisch erkennen');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', 'OK', 'OK');
INSERT INTO Languages (Form, English, German) VALUES ('frmConfig', '&Cancel', '&Abbrechen');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Fahrenheit', 'Fahrenheit');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Configuring', 'Konfigurieren');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Base Address must be between', 'Zulässiger Bereich der Basisadresse:');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'I/O-port address must be between', 'Zulässiger Bereich der E/A-Adresse:');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'IRQ-number must be between', 'Zulässiger Bereich der IRQ-Nummer:');

-- The print options window.
INSERT INTO Languages (Form, English, German) VALUES ('frmPrint', 'Print graph', 'Grafik drucken');
INSERT INTO Languages (Form, English, German) VALUES ('frmPrint', 'Printed Document includes:', 'Das gedruckte Dokument enthält:');
INSERT INTO Languages (Form, English, German) VALUES ('frmPrint', 'Errors && Graph', 'Fehler && Grafik');
INSERT INTO Languages (Form, English, German) VALUES ('frmPrint', 'Only Graph', 'Nur Grafik');
INSERT INTO Languages (Form, English, German) VALUES ('frmPrint', 'Comment:', 'Bemerkung:');
INSERT INTO Languages (Form, English, German) VALUES ('frmPrint', '&Print', '&Drucken');
INSERT INTO Languages (Form, English, German) VALUES ('frmPrint', '&Close', '&Schließen');
INSERT INTO Languages (Form, English, German) VALUES ('frmPrint', 'Printing...', 'Wird gedruckt...');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Printing graph', 'Drucken der Grafik');

-- The printed report.
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Printing', 'Drucken');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Sarvotrenk', 'Sarvotrenk');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Version', 'Version');
INSERT INTO Languages (Form, English, German) VALUES ('Message', '(Prog./Meas.)', '(Soll/Ist)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Best Radius', 'Ausgleichsradius');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Origin of Measurement', 'Messursprung');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'ISO230-4 results', 'Ergebnisse nach ISO 230-4');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Bi-dir. circular deviation G(b)', 'Bidir. Kreisformabweichung G(b)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Bi-dir. mean rad. deviation D', 'Bidir. mittl. Radiusabw. D');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Circular Deviation G', 'Kreisformabweichung G');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Radial Deviation F', 'Radialabweichung F');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'min', 'min');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'max', 'max');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Circularity', 'Rundheit');
INSERT INTO Languages (Form, English, German) VALUES ('Message', '°', '°');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Scale', 'Maßstab');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The logo %1 cannot be drawn; the page is printed without it.', 'Das Logo %1 kann nicht gezeichnet werden; die Seite wird ohne Logo gedruckt.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The graph is left out: the page has no room for it below the text.', 'Die Grafik fehlt: Unter dem Text ist auf der Seite kein Platz für sie.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The printer cannot be written to.', 'Der Drucker kann nicht beschrieben werden.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The printer''s page has no printable area.', 'Die Seite des Druckers hat keinen bedruckbaren Bereich.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The file %1 cannot be written.', 'Die Datei %1 kann nicht geschrieben werden.');

-- The case browser, the session window and the save window after a measurement.
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Do you want to remove the case from the database?', 'Möchten Sie den Fall aus der Datenbank entfernen?');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Do you want to remove the session from the database?', 'Möchten Sie die Messreihe aus der Datenbank entfernen?');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Give the name of the new session, please.', 'Bitte geben Sie den Namen der neuen Messreihe ein.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The case was not saved. The measured runs are kept: you can save them again.', 'Der Fall wurde nicht gespeichert. Die gemessenen Läufe bleiben erhalten: Sie können sie erneut speichern.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Removing case', 'Entfernen eines Falls');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Reading measurings', 'Lesen der Messungen');
INSERT OR IGNORE INTO Languages (Form, English, German) VALUES ('Message', 'Saving', 'Speichern');
INSERT INTO Languages (Form, English, German) VALUES ('DbLoad', 'Load from database', 'Aus der Datenbank laden');
INSERT INTO Languages (Form, English, German) VALUES ('DbLoad', 'Measurements', 'Messungen');
INSERT INTO Languages (Form, English, German) VALUES ('DbLoad', '&Open', '&Öffnen');
INSERT INTO Languages (Form, English, German) VALUES ('DbLoad', '&Remove', '&Entfernen');
INSERT INTO Languages (Form, English, German) VALUES ('DbLoad', '&Close', '&Schließen');
INSERT INTO Languages (Form, English, German) VALUES ('frmSession', 'Session', 'Messreihe');
INSERT INTO Languages (Form, English, German) VALUES ('frmSession', 'This measurement belongs to session:', 'Diese Messung gehört zur Messreihe:');
INSERT INTO Languages (Form, English, German) VALUES ('frmSession', '&OK', '&OK');
INSERT INTO Languages (Form, English, German) VALUES ('frmSession', '&New', '&Neu');
INSERT INTO Languages (Form, English, German) VALUES ('frmSession', '&Cancel', '&Abbrechen');
INSERT INTO Languages (Form, English, German) VALUES ('frmSave', 'Save', 'Speichern');
INSERT INTO Languages (Form, English, German) VALUES ('frmSave', 'Location', 'Ziel');
INSERT INTO Languages (Form, English, German) VALUES ('frmSave', 'Database', 'Datenbank');
INSERT INTO Languages (Form, English, German) VALUES ('frmSave', 'File', 'Datei');
INSERT INTO Languages (Form, English, German) VALUES ('frmSave', '&OK', '&OK');
INSERT INTO Languages (Form, English, German) VALUES ('frmSave', '&Cancel', '&Abbrechen');

-- Batch saving.
INSERT INTO Languages (Form, English, German) VALUES ('Batch', 'Batch Saving', 'Stapelweise speichern');
INSERT INTO Languages (Form, English, German) VALUES ('Batch', 'Files to Read', 'Zu lesende Dateien');
INSERT INTO Languages (Form, English, German) VALUES ('Batch', 'Directory:', 'Verzeichnis:');
INSERT INTO Languages (Form, English, German) VALUES ('Batch', 'File:', 'Datei:');
INSERT INTO Languages (Form, English, German) VALUES ('Batch', '&Add', '&Hinzufügen');
INSERT INTO Languages (Form, English, German) VALUES ('Batch', 'Measurement Session', 'Messreihe');
INSERT INTO Languages (Form, English, German) VALUES ('Batch', 'Name:', 'Name:');
INSERT INTO Languages (Form, English, German) VALUES ('Batch', 'Cases:', 'Fälle:');
INSERT INTO Languages (Form, English, German) VALUES ('Batch', '&Remove', '&Entfernen');
INSERT INTO Languages (Form, English, German) VALUES ('Batch', '&Save', '&Speichern');
INSERT INTO Languages (Form, English, German) VALUES ('Batch', '&Close', '&Schließen');
INSERT INTO Languages (Form, English, German) VALUES ('Batch', 'C&ancel', '&Abbrechen');
INSERT INTO Languages (Form, English, German) VALUES ('Batch', 'File''s name', 'Dateiname');
INSERT INTO Languages (Form, English, German) VALUES ('Batch', 'File', 'Datei');
INSERT INTO Languages (Form, English, German) VALUES ('Batch', 'Plane', 'Ebene');
INSERT INTO Languages (Form, English, German) VALUES ('Batch', 'Type', 'Typ');
INSERT INTO Languages (Form, English, German) VALUES ('Batch', 'Feedrate', 'Vorschub');
INSERT INTO Languages (Form, English, German) VALUES ('Batch', 'Status', 'Status');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'measured', 'gemessen');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Analysed', 'Analysiert');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'failed', 'fehlgeschlagen');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Set first the name of the session, please.', 'Bitte zuerst den Namen der Messreihe angeben.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Set first plane settings, please.', 'Bitte zuerst die Ebene einstellen.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'All selected cases have now been stored into the database.', 'Alle gewählten Fälle sind jetzt in der Datenbank gespeichert.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', '%1 of the selected cases could not be stored into the database.', '%1 der gewählten Fälle konnten nicht in der Datenbank gespeichert werden.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Saving was cancelled after %1 of %2 cases.', 'Das Speichern wurde nach %1 von %2 Fällen abgebrochen.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The file is in the list already.', 'Die Datei steht bereits in der Liste.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The analysis of the case gave no valid results.', 'Die Analyse des Falls ergab keine gültigen Ergebnisse.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Reading sessions', 'Lesen der Messreihen');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Reading cases', 'Lesen der Fälle');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Saving batch', 'Stapelweise speichern');

-- The viewing-angle window and the fault-tree start-up window.
INSERT INTO Languages (Form, English, German) VALUES ('frmView', 'Viewing angles', 'Blickwinkel');
INSERT INTO Languages (Form, English, German) VALUES ('frmView', 'Planes', 'Ebenen');
INSERT INTO Languages (Form, English, German) VALUES ('frmView', 'Refresh', 'Aktualisieren');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Start', 'Start');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Showing example', 'Anzeigen des Beispiels');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Launching fault tree', 'Starten des Fehlerbaums');
INSERT INTO Languages (Form, English, German) VALUES ('frmTree', 'Fault tree start-up', 'Start des Fehlerbaums');
INSERT INTO Languages (Form, English, German) VALUES ('frmTree', 'Wait for the Fault tree program startup, please...', 'Bitte warten Sie, bis das Fehlerbaumprogramm gestartet ist...');
INSERT INTO Languages (Form, English, German) VALUES ('frmTree', 'Sarvotrenk is searching for the Fault tree program. This might take couple of minutes, please wait...', 'Sarvotrenk sucht das Fehlerbaumprogramm. Dies kann einige Minuten dauern, bitte warten...');
INSERT INTO Languages (Form, English, German) VALUES ('frmTree', 'Sarvotrenk can not find the Fault tree program. Please contact your Sarvotrenk distributor to purchase this software.', 'Sarvotrenk kann das Fehlerbaumprogramm nicht finden. Bitte wenden Sie sich an Ihren Sarvotrenk-Händler, um diese Software zu erwerben.');
INSERT INTO Languages (Form, English, German) VALUES ('frmTree', '&Close', 'S&chließen');

-- The trend window and the trend graph and table window. The result captions keep their axis
-- letter first ("x ...") or last, so the plane's letters can replace it.
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Trend Analysis', 'Trendanalyse');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Plane', 'Ebene');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Machine', 'Maschine');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Date', 'Datum');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Spacing', 'Abstände');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Variable', 'Variabel');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Fixed', 'Fest');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Draw', 'Darstellen');
INSERT INTO Languages (Form, English, German) VALUES ('History', '&Query', '&Abfragen');
INSERT INTO Languages (Form, English, German) VALUES ('History', '&Close', '&Schließen');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Axis spike x', 'Umkehrspitze x');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Axis spike y', 'Umkehrspitze y');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Backlash positive x', 'Umkehrspiel positiv x');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Backlash negative x', 'Umkehrspiel negativ x');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Backlash positive y', 'Umkehrspiel positiv y');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Backlash negative y', 'Umkehrspiel negativ y');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Circularity LSC', 'Rundheit LSC');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Circularity MZC', 'Rundheit MZC');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Cyclic error x', 'Zyklischer Fehler x');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Pitch of cyclic error x', 'Periode des zyklischen Fehlers x');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Cyclic error y', 'Zyklischer Fehler y');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Pitch of cyclic error y', 'Periode des zyklischen Fehlers y');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Lateral play x', 'Seitliches Spiel x');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Lateral play y', 'Seitliches Spiel y');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Scale error x', 'Maßstabsfehler x');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Scale error y', 'Maßstabsfehler y');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Scale mismatch', 'Maßstabsabweichung');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Servo response x', 'Servoverhalten x');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Servo response y', 'Servoverhalten y');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Squareness error', 'Rechtwinkligkeitsfehler');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Stick slip x', 'Stick-Slip x');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Stick slip y', 'Stick-Slip y');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Straightness x', 'Geradheit x');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Straightness y', 'Geradheit y');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Directional vibration', 'Gerichtete Schwingung');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Vibration', 'Schwingung');
INSERT INTO Languages (Form, English, German) VALUES ('History', 'Measured Feedrate', 'Gemessener Vorschub');
INSERT INTO Languages (Form, English, German) VALUES ('HistGraph', 'Trend Query Results', 'Ergebnisse der Trendabfrage');
INSERT INTO Languages (Form, English, German) VALUES ('HistGraph', '&Graph', '&Grafik');
INSERT INTO Languages (Form, English, German) VALUES ('HistGraph', '&Tabular', '&Tabelle');
INSERT INTO Languages (Form, English, German) VALUES ('HistGraph', 'Bar', 'Balken');
INSERT INTO Languages (Form, English, German) VALUES ('HistGraph', 'Line', 'Linie');
INSERT INTO Languages (Form, English, German) VALUES ('HistGraph', '&Print', '&Drucken');
INSERT INTO Languages (Form, English, German) VALUES ('HistGraph', '&Close', '&Schließen');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Session', 'Sitzung');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Date', 'Datum');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Type', 'Art');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Drawing history', 'Zeichnen des Trends');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Reading machines', 'Lesen der Maschinen');

-- ContiSure sets and Optodyne 2-D files
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Point file could not be found.', 'Die Punktdatei wurde nicht gefunden.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Point file %1 ends before its sample count.', 'Punktdatei %1 endet vor ihrer Anzahl der Messwerte.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Point file %1 ends before its last sample.', 'Punktdatei %1 endet vor ihrem letzten Messwert.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Point file %1 names no samples.', 'Punktdatei %1 nennt keine Messwerte.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Point file %1 has no sample for its first point.', 'Punktdatei %1 hat keinen Messwert für ihren ersten Punkt.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The date "%1" is not day-month-year.', 'Das Datum "%1" ist nicht Tag-Monat-Jahr.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The date lies outside the years 100 to 9999.', 'Das Datum liegt außerhalb der Jahre 100 bis 9999.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The header file name has no extension.', 'Der Name der Kopfdatei hat keine Endung.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The measurement holds fewer than three points.', 'Die Messung enthält weniger als drei Punkte.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'A 2-D case needs the files of both directions of a rotation.', 'Ein 2-D-Fall braucht die Dateien beider Richtungen einer Drehrichtung.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'A 2-D file holds fewer than two samples in its window.', 'Eine 2-D-Datei enthält in ihrem Fenster weniger als zwei Messwerte.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'A 2-D file holds more than %1 samples after resampling.', 'Eine 2-D-Datei enthält nach dem Umrechnen auf gleiche Abstände mehr als %1 Messwerte.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'A value of the 2-D file is not a number.', 'Ein Wert der 2-D-Datei ist keine Zahl.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The 2-D files end before one and a half turns of the circle.', 'Die 2-D-Dateien enden vor eineinhalb Umläufen des Kreises.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The 2-D files end before one turn of the circle.', 'Die 2-D-Dateien enden vor einem Umlauf des Kreises.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The abscissas of a 2-D file do not rise.', 'Die Abszissen einer 2-D-Datei steigen nicht.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The signal before the trigger of a 2-D file gives no start point.', 'Das Signal vor dem Auslösen einer 2-D-Datei ergibt keinen Startpunkt.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Results are unreliable because trigger was not used in the measurement.', 'Die Ergebnisse sind unzuverlässig, weil bei der Messung kein Auslöser verwendet wurde.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Reading header1', 'Lesen des Dateikopfs (ContiSure)');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Reading ContiSure-File', 'Lesen der ContiSure-Datei');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Reading 2-D file', 'Lesen der 2-D-Datei');
-- The calibration window and its refusal without a reading.
INSERT INTO Languages (Form, English, German) VALUES ('frmCalibrate', 'Calibrate', 'Kalibrieren');
INSERT INTO Languages (Form, English, German) VALUES ('frmCalibrate', 'Length', 'Länge');
INSERT INTO Languages (Form, English, German) VALUES ('frmCalibrate', 'Ball Bar Length:', 'Kugelstablänge:');
INSERT INTO Languages (Form, English, German) VALUES ('frmCalibrate', 'Calibrator Length:', 'Kalibratorlänge:');
INSERT INTO Languages (Form, English, German) VALUES ('frmCalibrate', 'Measurement Value:', 'Messwert:');
INSERT INTO Languages (Form, English, German) VALUES ('frmCalibrate', 'Compensated Value:', 'Kompensierter Wert:');
INSERT INTO Languages (Form, English, German) VALUES ('frmCalibrate', 'Current Offset:', 'Aktueller Versatz:');
INSERT INTO Languages (Form, English, German) VALUES ('frmCalibrate', 'Temperatures', 'Temperaturen');
INSERT INTO Languages (Form, English, German) VALUES ('frmCalibrate', 'Gauge:', 'Messgerät:');
INSERT INTO Languages (Form, English, German) VALUES ('frmCalibrate', 'Calibrator:', 'Kalibrator:');
INSERT INTO Languages (Form, English, German) VALUES ('frmCalibrate', 'C&alibrate', 'K&alibrieren');
INSERT INTO Languages (Form, English, German) VALUES ('frmCalibrate', '&Close', 'S&chließen');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The calibration was left unchanged.', 'Die Kalibrierung wurde nicht geändert.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The gauge is not connected', 'Das Messgerät ist nicht verbunden');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The gauge sent no reading in time', 'Das Messgerät hat nicht rechtzeitig einen Messwert gesendet');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The gauge does not answer', 'Das Messgerät antwortet nicht');

INSERT INTO Languages (Form, English, German) VALUES ('frmBasic', 'Basic data', 'Grunddaten');
INSERT INTO Languages (Form, English, German) VALUES ('frmBasic', 'Customer:', 'Kunde:');
INSERT INTO Languages (Form, English, German) VALUES ('frmBasic', 'Machine:', 'Maschine:');
INSERT INTO Languages (Form, English, German) VALUES ('frmBasic', 'Measurement Session:', 'Messreihe:');
INSERT INTO Languages (Form, English, German) VALUES ('frmBasic', 'Date:', 'Datum:');
INSERT INTO Languages (Form, English, German) VALUES ('frmBasic', 'Time:', 'Uhrzeit:');
INSERT INTO Languages (Form, English, German) VALUES ('frmBasic', 'Measured By:', 'Gemessen von:');
INSERT INTO Languages (Form, English, German) VALUES ('frmBasic', 'Test Radius:', 'Prüfradius:');
INSERT INTO Languages (Form, English, German) VALUES ('frmBasic', 'Ball Bar Length:', 'Kugelstablänge:');
INSERT INTO Languages (Form, English, German) VALUES ('frmBasic', 'Machine Expansion Coefficent:', 'Ausdehnungskoeffizient der Maschine:');
INSERT INTO Languages (Form, English, German) VALUES ('frmBasic', 'Offset in the direction of the third axis:', 'Versatz in Richtung der dritten Achse:');
INSERT INTO Languages (Form, English, German) VALUES ('frmBasic', '&OK', '&OK');
INSERT INTO Languages (Form, English, German) VALUES ('frmBasic', '&Cancel', '&Abbrechen');
INSERT INTO Languages (Form, English, German) VALUES ('frmReference', 'Reference Mark', 'Referenzmarke');
INSERT INTO Languages (Form, English, German) VALUES ('frmReference', 'To zero Heidenhain ball bar move it slightly through reference mark...', 'Zum Nullen den Heidenhain-Kugelstab leicht über die Referenzmarke bewegen...');
INSERT INTO Languages (Form, English, German) VALUES ('frmReference', 'Real Length of the Ball Bar:', 'Tatsächliche Länge des Kugelstabs:');
INSERT INTO Languages (Form, English, German) VALUES ('frmReference', '&Cancel', '&Abbrechen');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'To zero Brintovale ball bar move it slightly through reference mark...', 'Zum Nullen den Brintovale-Kugelstab leicht über die Referenzmarke bewegen...');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Invalid Value.', 'Ungültiger Wert.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Test Radius', 'Prüfradius');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Ball Bar Length', 'Kugelstablänge');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Test radius can not be bigger than Ball Bar Length.', 'Der Prüfradius darf nicht größer als die Kugelstablänge sein.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Test radius can not be smaller than 50mm.', 'Der Prüfradius darf nicht kleiner als 50 mm sein.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Set the name of the machine, please.', 'Bitte den Namen der Maschine angeben.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Set the name of the session, please.', 'Bitte den Namen der Messreihe angeben.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Date is not valid.', 'Das Datum ist ungültig.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Time is not valid.', 'Die Uhrzeit ist ungültig.');
INSERT INTO Languages (Form, English, German) VALUES ('frmWait', 'Capture', 'Erfassung');
INSERT INTO Languages (Form, English, German) VALUES ('frmWait', 'Waiting for data...', 'Warten auf Daten...');
INSERT INTO Languages (Form, English, German) VALUES ('frmWait', 'Measurement on high sampling rate.', 'Messung mit hoher Abtastrate.');
INSERT INTO Languages (Form, English, German) VALUES ('frmWait', 'Capture!', 'Erfassen!');
INSERT INTO Languages (Form, English, German) VALUES ('frmWait', '/tick', '/Teilung');
INSERT INTO Languages (Form, English, German) VALUES ('frmWait', ' CCW', ' GUZS');
INSERT INTO Languages (Form, English, German) VALUES ('frmWait', ' CW', ' UZS');
INSERT INTO Languages (Form, English, German) VALUES ('frmWait', '&Cancel', '&Abbrechen');
INSERT INTO Languages (Form, English, German) VALUES ('frmWait', 'Capturing data...', 'Daten werden erfasst...');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Interrupted measurement', 'Messung abgebrochen');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Low feedrate suspected.', 'Vorschub vermutlich zu niedrig.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'High feedrate suspected.', 'Vorschub vermutlich zu hoch.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Under', 'Unter');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Warning', 'Warnung');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Waiting for', 'Warten auf');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'point', 'Punkt');
INSERT INTO Languages (Form, English, German) VALUES ('Message', '50 µm', '50 µm');
INSERT INTO Languages (Form, English, German) VALUES ('Message', '200 µm', '200 µm');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Starting several measurements', 'Starten einer Messreihe');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Capturing several measurements', 'Erfassen einer Messreihe');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Reading one value', 'Lesen eines Messwerts');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The case holds the most runs it can. Save it and start a new one.', 'Der Fall enthält bereits die größte Zahl an Messläufen. Bitte speichern und einen neuen beginnen.');
