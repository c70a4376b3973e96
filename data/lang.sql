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
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'EngAna.hlp', NULL);
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'EngErr.hlp', NULL);

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

INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Retrieving recent case', 'Öffnen eines zuletzt benutzten Falls');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Saving to file', 'Speichern in Datei');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Save case to file', 'Fall in Datei speichern');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Set the plane first, please.', 'Bitte zuerst die Ebene angeben.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'The measurement has not been saved. Leave the program all the same?', 'Die Messung ist nicht gespeichert. Das Programm trotzdem beenden?');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Help', 'Hilfe');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'How to use help', 'Hilfe verwenden');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Follow the underlined links to move between topics. Use the Back and Forward keys (Alt+Left, Alt+Right) to return to pages you have seen.', 'Folgen Sie den unterstrichenen Verweisen, um zwischen den Themen zu wechseln. Mit Alt+Links und Alt+Rechts kehren Sie zu bereits gesehenen Seiten zurück.');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Read only', 'Schreibgeschützt');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'openDB ', 'Öffnen der Falldatenbank');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Checking database fields', 'Prüfen der Datenbankfelder');
INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Preparing form', 'Vorbereiten des Fensters');

-- The small common windows.
INSERT INTO Languages (Form, English, German) VALUES ('frmFirst', 'Sarvotrenk Analysis Software', 'Sarvotrenk Analyse-Software');
INSERT INTO Languages (Form, English, German) VALUES ('frmFirst', 'Windows Version:', 'Version:');
INSERT INTO Languages (Form, English, German) VALUES ('About', 'Sarvotrenk Analysis', 'Sarvotrenk Analyse');
INSERT INTO Languages (Form, English, German) VALUES ('About', 'Windows Version: ', 'Version: ');
INSERT INTO Languages (Form, English, German) VALUES ('About', 'C&opyright', 'C&opyright');
INSERT INTO Languages (Form, English, German) VALUES ('About', '&Limitation of liability', '&Haftungsbeschränkung');
INSERT INTO Languages (Form, English, German) VALUES ('About', '&Close', '&Schließen');
INSERT INTO Languages (Form, English, German) VALUES ('Wait', 'Sarvotrenk', 'Sarvotrenk');
INSERT INTO Languages (Form, English, German) VALUES ('Wait', 'One moment, please...', 'Einen Augenblick bitte...');
INSERT INTO Languages (Form, English, German) VALUES ('Input', 'Kysymys', 'Frage');
INSERT INTO Languages (Form, English, German) VALUES ('Input', '&OK', '&OK');
INSERT INTO Languages (Form, English, German) VALUES ('Input', '&Cancel', '&Abbrechen');
INSERT INTO LangMemo (Form, Tag, English, German) VALUES ('About', 'Limit', NULL, 'Diese Software wird ohne jede Gewähr bereitgestellt. Der Hersteller haftet nicht für Schäden, die aus der Benutzung oder der Unmöglichkeit der Benutzung der Software, ihrer Ergebnisse oder der mit ihr erstellten Berichte entstehen, insbesondere nicht für Schäden an Werkzeugmaschinen, Werkstücken oder Messgeräten, für entgangenen Gewinn oder für Produktionsausfall. Die Messergebnisse ersetzen keine Abnahme der Maschine nach den geltenden Normen; ihre Auslegung liegt beim Anwender.');
