-- The shared run archive on PostgreSQL: its tables, and the rights of the
-- role the program signs in as. Load it once, as the database's owner:
--
--   createuser --pwprompt zq                       # the program's role
--   createdb --owner=postgres zqarchive
--   psql -d zqarchive -v role=zq -f archive-postgresql.sql
--
-- The program creates nothing on the server: it reads, adds and updates
-- rows, and refuses an archive whose schema version it does not know.

\set ON_ERROR_STOP on
\if :{?role}
\else
\set role zq
\endif

BEGIN;

CREATE TABLE schema_version (version INTEGER NOT NULL);
INSERT INTO schema_version (version) VALUES (3);

CREATE TABLE runs (
    sha256 TEXT PRIMARY KEY,
    data_type INTEGER NOT NULL,
    readings INTEGER NOT NULL,
    failed INTEGER NOT NULL,
    first_stamp TEXT,
    last_stamp TEXT,
    peak INTEGER,
    verdict TEXT,
    recipe TEXT,
    operator TEXT,
    equipment TEXT,
    load TEXT,
    thermocouple TEXT,
    comment TEXT,
    added_at TEXT NOT NULL,
    downloaded_at TEXT
);

CREATE TABLE paths (
    sha256 TEXT NOT NULL REFERENCES runs (sha256),
    path TEXT NOT NULL,
    seen_at TEXT NOT NULL,
    PRIMARY KEY (sha256, path)
);

CREATE TABLE downloads (
    sha256 TEXT NOT NULL REFERENCES runs (sha256),
    ended_at TEXT NOT NULL,
    device TEXT,
    outcome TEXT,
    kept_path TEXT,
    PRIMARY KEY (sha256, ended_at)
);

CREATE TABLE notes (
    sha256 TEXT NOT NULL REFERENCES runs (sha256),
    at_reading INTEGER NOT NULL,
    text TEXT NOT NULL,
    created_at TEXT NOT NULL
);

CREATE TABLE ranges (
    sha256 TEXT NOT NULL REFERENCES runs (sha256),
    name TEXT NOT NULL,
    first_reading INTEGER NOT NULL,
    last_reading INTEGER NOT NULL,
    PRIMARY KEY (sha256, name)
);

-- The .ZQ bytes themselves, so any PC can open any run.
CREATE TABLE files (
    sha256 TEXT PRIMARY KEY REFERENCES runs (sha256),
    bytes BYTEA NOT NULL
);

-- Calibration: instruments and thermocouples, every certificate they had,
-- and the devices a run was measured with.
CREATE TABLE cal_devices (
    kind TEXT NOT NULL,
    id TEXT NOT NULL,
    type TEXT,
    max_uses INTEGER,
    max_temp REAL,
    added_at TEXT NOT NULL,
    PRIMARY KEY (kind, id)
);

CREATE TABLE cal_certificates (
    kind TEXT NOT NULL,
    device_id TEXT NOT NULL,
    number TEXT NOT NULL,
    calibrated TEXT NOT NULL,
    due TEXT NOT NULL,
    points TEXT NOT NULL,
    added_at TEXT NOT NULL,
    PRIMARY KEY (kind, device_id, number)
);

CREATE TABLE run_devices (
    sha256 TEXT PRIMARY KEY,
    instrument TEXT,
    thermocouple TEXT
);

CREATE INDEX runs_equipment ON runs (equipment);
CREATE INDEX runs_added ON runs (added_at);
CREATE INDEX downloads_kept ON downloads (kept_path);

-- Reading, adding and updating rows; nothing is ever deleted or altered.
GRANT USAGE ON SCHEMA public TO :"role";
GRANT SELECT ON schema_version TO :"role";
GRANT SELECT, INSERT, UPDATE ON runs, paths, downloads, notes, ranges, files, run_devices TO :"role";
-- A certificate is a document: registered once, never rewritten.
GRANT SELECT, INSERT ON cal_devices, cal_certificates TO :"role";

COMMIT;
