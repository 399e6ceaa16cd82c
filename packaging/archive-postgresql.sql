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
INSERT INTO schema_version (version) VALUES (5);

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
    host TEXT, -- the PC it was made on; NULL: not known
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

-- Every change to a run, only ever added to; each run's rows chained by
-- SHA-256 so a rewritten or missing row is found.
CREATE TABLE history (
    sha256 TEXT NOT NULL,
    position INTEGER NOT NULL,
    at TEXT NOT NULL,
    os_user TEXT,
    signer TEXT,
    what TEXT NOT NULL,
    old_value TEXT,
    new_value TEXT,
    reason TEXT,
    previous_hash TEXT,
    hash TEXT NOT NULL,
    PRIMARY KEY (sha256, position)
);

-- Refused from anyone, the owner too: a correction is a new row.
CREATE FUNCTION history_refuse() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    RAISE EXCEPTION 'history rows are never changed or deleted';
END
$$;
CREATE TRIGGER history_no_change BEFORE UPDATE OR DELETE ON history
    FOR EACH ROW EXECUTE FUNCTION history_refuse();
CREATE TRIGGER history_no_truncate BEFORE TRUNCATE ON history
    FOR EACH STATEMENT EXECUTE FUNCTION history_refuse();

CREATE INDEX runs_equipment ON runs (equipment);
CREATE INDEX runs_added ON runs (added_at);
CREATE INDEX downloads_kept ON downloads (kept_path);

-- Reading, adding and updating rows; nothing is ever deleted or altered.
GRANT USAGE ON SCHEMA public TO :"role";
GRANT SELECT ON schema_version TO :"role";
GRANT SELECT, INSERT, UPDATE ON runs, paths, downloads, notes, ranges, files, run_devices TO :"role";
-- A certificate is a document: registered once, never rewritten.
GRANT SELECT, INSERT ON cal_devices, cal_certificates TO :"role";
GRANT SELECT, INSERT ON history TO :"role";

COMMIT;
