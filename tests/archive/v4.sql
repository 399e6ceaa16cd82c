-- An archive as version 4 of the program made it: its schema statements as
-- they were, one download recorded before a download named its PC.
CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS runs (sha256 TEXT PRIMARY KEY, data_type INTEGER NOT NULL, readings INTEGER NOT NULL, failed INTEGER NOT NULL, first_stamp TEXT, last_stamp TEXT, peak INTEGER, verdict TEXT, recipe TEXT, operator TEXT, equipment TEXT, load TEXT, thermocouple TEXT, comment TEXT, added_at TEXT NOT NULL, downloaded_at TEXT);
CREATE TABLE IF NOT EXISTS paths (sha256 TEXT NOT NULL REFERENCES runs(sha256), path TEXT NOT NULL, seen_at TEXT NOT NULL, PRIMARY KEY (sha256, path));
CREATE TABLE IF NOT EXISTS downloads (sha256 TEXT NOT NULL REFERENCES runs(sha256), ended_at TEXT NOT NULL, device TEXT, outcome TEXT, kept_path TEXT, PRIMARY KEY (sha256, ended_at));
CREATE TABLE IF NOT EXISTS notes (sha256 TEXT NOT NULL REFERENCES runs(sha256), at_reading INTEGER NOT NULL, text TEXT NOT NULL, created_at TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS ranges (sha256 TEXT NOT NULL REFERENCES runs(sha256), name TEXT NOT NULL, first_reading INTEGER NOT NULL, last_reading INTEGER NOT NULL, PRIMARY KEY (sha256, name));
CREATE TABLE IF NOT EXISTS upload_queue (id INTEGER PRIMARY KEY AUTOINCREMENT, bytes BLOB NOT NULL, seen_at TEXT, ended_at TEXT, device TEXT, outcome TEXT, queued_at TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS edit_queue (id INTEGER PRIMARY KEY AUTOINCREMENT, sha256 TEXT NOT NULL, what TEXT NOT NULL, operator TEXT, equipment TEXT, load TEXT, thermocouple TEXT, comment TEXT, verdict TEXT, recipe TEXT, queued_at TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS history (sha256 TEXT NOT NULL, position INTEGER NOT NULL, at TEXT NOT NULL, os_user TEXT, signer TEXT, what TEXT NOT NULL, old_value TEXT, new_value TEXT, reason TEXT, previous_hash TEXT, hash TEXT NOT NULL, PRIMARY KEY (sha256, position));
CREATE TRIGGER IF NOT EXISTS history_no_update BEFORE UPDATE ON history BEGIN SELECT RAISE(ABORT, 'history rows are never changed'); END;
CREATE TRIGGER IF NOT EXISTS history_no_delete BEFORE DELETE ON history BEGIN SELECT RAISE(ABORT, 'history rows are never deleted'); END;
CREATE INDEX IF NOT EXISTS runs_equipment ON runs (equipment);
CREATE INDEX IF NOT EXISTS runs_added ON runs (added_at);
CREATE INDEX IF NOT EXISTS downloads_kept ON downloads (kept_path);
PRAGMA application_id = 1515279409;
INSERT INTO schema_version (version) VALUES (4);
INSERT INTO runs VALUES ('00aa11bb', 2, 720, 2, '07-26 13:05:09', '07-26 14:05:04', 660, 'FAIL', '淬火 850℃', '王', '3', '齿轮', 'K', '第一炉', '2026-03-02T08:00:00', '2026-03-02T07:59:00');
INSERT INTO downloads VALUES ('00aa11bb', '2026-03-02T07:59:00', '/dev/ttyUSB0', 'complete', '/home/a/kept.ZQ');
