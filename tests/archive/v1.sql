CREATE TABLE schema_version (version INTEGER NOT NULL);
INSERT INTO schema_version (version) VALUES (1);
CREATE TABLE runs (sha256 TEXT PRIMARY KEY, data_type INTEGER NOT NULL, readings INTEGER NOT NULL, failed INTEGER NOT NULL, first_stamp TEXT, last_stamp TEXT, peak INTEGER, verdict TEXT, recipe TEXT, operator TEXT, equipment TEXT, load TEXT, comment TEXT, added_at TEXT NOT NULL);
CREATE TABLE paths (sha256 TEXT NOT NULL REFERENCES runs(sha256), path TEXT NOT NULL, seen_at TEXT NOT NULL, PRIMARY KEY (sha256, path));
CREATE TABLE downloads (sha256 TEXT NOT NULL REFERENCES runs(sha256), ended_at TEXT NOT NULL, device TEXT, outcome TEXT, kept_path TEXT, PRIMARY KEY (sha256, ended_at));
CREATE TABLE notes (sha256 TEXT NOT NULL REFERENCES runs(sha256), at_reading INTEGER NOT NULL, text TEXT NOT NULL, created_at TEXT NOT NULL);
INSERT INTO runs VALUES ('00aa11bb', 2, 720, 2, '07-26 13:05:09', '07-26 14:05:04', 660, 'FAIL', '淬火 850℃', '王', '3', '齿轮', '第一炉', '2026-03-02T08:00:00');
INSERT INTO notes VALUES ('00aa11bb', 300, '炉门打开', '2026-03-02T08:05:00');
