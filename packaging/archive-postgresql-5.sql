-- Brings a shared archive loaded by an earlier archive-postgresql.sql (its
-- schema version 4) to version 5: a download names the PC it was made on.
-- Downloads recorded before stay without one (NULL: not known). Run it once,
-- as the database's owner, when no program is using the archive:
--
--   psql -d zqarchive -f archive-postgresql-5.sql

\set ON_ERROR_STOP on

BEGIN;

DO $$
BEGIN
    IF (SELECT version FROM schema_version) <> 4 THEN
        RAISE EXCEPTION 'this archive is not at version 4';
    END IF;
END
$$;

ALTER TABLE downloads ADD COLUMN host TEXT;
UPDATE schema_version SET version = 5;

COMMIT;
