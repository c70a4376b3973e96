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
