-- The case database Sarvotex.db: one row per saved case in Measure, its uncertainties in
-- Reliability, its readings in Targets, its runs in Direction, and the known machines.
--
-- Standard types only, so that the same tables can live on a database server:
--   INTEGER (32-bit), SMALLINT (16-bit and yes/no as 0/1), REAL (single precision),
--   DOUBLE PRECISION, VARCHAR(n) (the writer cuts texts to n).
-- "Date" holds the local test time as fixed-width text 'YYYY-MM-DD HH:MM:SS', so that equal
-- times compare equal and text order is time order.
-- Every name is quoted: "Stat/Dyn" has a slash, "By" and "Option" are keywords.
-- The keys and AUTOINCREMENT below are the SQLite forms.

CREATE TABLE IF NOT EXISTS "Measure" (
  -- AUTOINCREMENT: a number is never given twice, so a recent-list entry of a removed case can
  -- never open a newer one.
  "Meas_ID" INTEGER PRIMARY KEY AUTOINCREMENT,
  "Machine" VARCHAR(255),
  "Name" VARCHAR(255),
  "Date" VARCHAR(19),
  "Filename" VARCHAR(100),
  "By" VARCHAR(30),
  "Radius" DOUBLE PRECISION,
  "Length" REAL,
  "Plane" VARCHAR(30),
  "Feedrate" DOUBLE PRECISION,
  "Stat/Dyn" VARCHAR(30),
  "MaxTargets" SMALLINT,
  "Sampling" REAL,
  "Customer" VARCHAR(30),
  "Comment" VARCHAR(100),
  "Calibrated" SMALLINT,
  "Option" INTEGER,
  "OrigX" DOUBLE PRECISION,
  "OrigY" DOUBLE PRECISION,
  "OrigZ" DOUBLE PRECISION,
  "GaugeExp" DOUBLE PRECISION,
  "MachineExp" DOUBLE PRECISION,
  "StartAngle" SMALLINT,
  "StopAngle" SMALLINT,
  "Calced" SMALLINT,
  "CentreOffV" DOUBLE PRECISION,
  "CentreOffH" DOUBLE PRECISION,
  "Circularity" DOUBLE PRECISION,
  "CircMax" DOUBLE PRECISION,
  "CircMaxPoint" DOUBLE PRECISION,
  "CircMin" DOUBLE PRECISION,
  "CircMinPoint" DOUBLE PRECISION,
  "LSCRadius" DOUBLE PRECISION,
  "MZCCentreOffV" DOUBLE PRECISION,
  "MZCCentreOffH" DOUBLE PRECISION,
  "MZClarity" DOUBLE PRECISION,
  "MZCMax" DOUBLE PRECISION,
  "MZCMaxPoint" DOUBLE PRECISION,
  "MZCMin" DOUBLE PRECISION,
  "MZCMinPoint" DOUBLE PRECISION,
  "MZCRadius" DOUBLE PRECISION,
  "IsoH" DOUBLE PRECISION,
  "IsoGb" DOUBLE PRECISION,
  "IsoD" DOUBLE PRECISION,
  "Squareness" DOUBLE PRECISION,
  "ScaleH" DOUBLE PRECISION,
  "ScaleV" DOUBLE PRECISION,
  "Scale" DOUBLE PRECISION,
  "Back0" DOUBLE PRECISION,
  "Back90" DOUBLE PRECISION,
  "Back180" DOUBLE PRECISION,
  "Back270" DOUBLE PRECISION,
  "StraightH" DOUBLE PRECISION,
  "StraightV" DOUBLE PRECISION,
  "SpikeH" DOUBLE PRECISION,
  "SpikeV" DOUBLE PRECISION,
  "PlayH" DOUBLE PRECISION,
  "PlayV" DOUBLE PRECISION,
  "SlipH" DOUBLE PRECISION,
  "SlipV" DOUBLE PRECISION,
  "ServoH" DOUBLE PRECISION,
  "ServoV" DOUBLE PRECISION,
  "CyclicH" DOUBLE PRECISION,
  "CyclicV" DOUBLE PRECISION,
  "PitchH" DOUBLE PRECISION,
  "PitchV" DOUBLE PRECISION,
  "PhaseH" DOUBLE PRECISION,
  "PhaseV" DOUBLE PRECISION,
  "Random" DOUBLE PRECISION,
  "PolarVibration" DOUBLE PRECISION,
  "VibrationAngle" SMALLINT,
  "ProfileH0" REAL,
  "ProfileV0" REAL,
  "ProfileH1" REAL,
  "ProfileV1" REAL,
  "ProfileH2" REAL,
  "ProfileV2" REAL,
  "ProfileH3" REAL,
  "ProfileV3" REAL,
  "ProfileH4" REAL,
  "ProfileV4" REAL,
  "DimCount" SMALLINT,
  "MeasuredFeedrateAverage" REAL,
  "EquipmentManufacturer" VARCHAR(50),
  "EquipmentModel" VARCHAR(50),
  "EquipmentSerial" VARCHAR(50),
  "ScaleFactor" DOUBLE PRECISION
);

-- Trend per machine and plane over time, the measurement origin and expansion coefficient of a
-- machine, the machine list, and the duplicate check of a save.
CREATE INDEX IF NOT EXISTS "Measure_Machine_Plane_Date" ON "Measure" ("Machine", "Plane", "Date");
-- Session lists, the browser (by session, then time) and the cases of one session.
CREATE INDEX IF NOT EXISTS "Measure_Name_Date" ON "Measure" ("Name", "Date");
-- Trend over all machines.
CREATE INDEX IF NOT EXISTS "Measure_Date" ON "Measure" ("Date");

CREATE TABLE IF NOT EXISTS "Reliability" (
  "Meas_ID" INTEGER NOT NULL PRIMARY KEY REFERENCES "Measure" ("Meas_ID") ON DELETE CASCADE,
  "Squareness" DOUBLE PRECISION,
  "ScaleH" DOUBLE PRECISION,
  "ScaleV" DOUBLE PRECISION,
  "Back0" DOUBLE PRECISION,
  "Back90" DOUBLE PRECISION,
  "Back180" DOUBLE PRECISION,
  "Back270" DOUBLE PRECISION,
  "StraightH" DOUBLE PRECISION,
  "StraightV" DOUBLE PRECISION,
  "SpikeH" DOUBLE PRECISION,
  "SpikeV" DOUBLE PRECISION,
  "PlayH" DOUBLE PRECISION,
  "PlayV" DOUBLE PRECISION,
  "SlipH" DOUBLE PRECISION,
  "SlipV" DOUBLE PRECISION,
  "ServoH" DOUBLE PRECISION,
  "ServoV" DOUBLE PRECISION,
  "CyclicH" DOUBLE PRECISION,
  "CyclicV" DOUBLE PRECISION,
  "PitchH" DOUBLE PRECISION,
  "PitchV" DOUBLE PRECISION,
  "PhaseH" DOUBLE PRECISION,
  "PhaseV" DOUBLE PRECISION,
  "Random" DOUBLE PRECISION,
  "PolarVibration" DOUBLE PRECISION,
  "VibrationAngle" SMALLINT
);

-- One row per reading. "ID" gives the order of the readings within a run; the readers sort by it.
CREATE TABLE IF NOT EXISTS "Targets" (
  "ID" INTEGER PRIMARY KEY,
  "Meas_ID" INTEGER NOT NULL REFERENCES "Measure" ("Meas_ID") ON DELETE CASCADE,
  "Dim" SMALLINT NOT NULL,
  "Meas" REAL
);

-- The readings of one run in "ID" order, straight from the index (it ends in the row key).
CREATE INDEX IF NOT EXISTS "Targets_Meas_ID_Dim" ON "Targets" ("Meas_ID", "Dim");

CREATE TABLE IF NOT EXISTS "Direction" (
  "Meas_ID" INTEGER NOT NULL REFERENCES "Measure" ("Meas_ID") ON DELETE CASCADE,
  "Dim" SMALLINT NOT NULL,
  "Direction" SMALLINT,
  "MeasuredTargets" SMALLINT,
  "GaugeTemp" DOUBLE PRECISION,
  "MacTemp" DOUBLE PRECISION,
  "IsoG" DOUBLE PRECISION,
  "IsoFmin" DOUBLE PRECISION,
  "IsoFmax" DOUBLE PRECISION,
  "MeasuredFeedrate" REAL,
  PRIMARY KEY ("Meas_ID", "Dim")
);

CREATE TABLE IF NOT EXISTS "Machines" (
  "Name" VARCHAR(255) NOT NULL PRIMARY KEY
);
-- A new database knows the machine of the example measurements shipped beside the program.
INSERT INTO "Machines" ("Name") VALUES ('Demo Mill');
