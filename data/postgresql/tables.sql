-- The audit tables of one station on PostgreSQL 15: cv.mdb's ten tables (data/cv-schema.sql)
-- with the same columns in the same order and the same indexes.
--
-- `cv --init-database` runs this file once per station, with that station's schema first on
-- search_path: every name here is unqualified, so the tables go into that schema. Nothing else
-- ever creates or alters them.
--
-- Types: date-time columns timestamp(0) (local time, whole seconds, as cv.mdb stores them),
-- date columns date, counts and sizes bigint, names citext so that they compare and sort
-- without regard to case, as cv.mdb's NOCASE texts do (the shared setup creates the citext
-- extension; see jet-functions.sql for why citext). Names are unquoted, so PostgreSQL keeps
-- them in lower case and a statement finds them whatever case it writes them in, as Jet does.
--
-- Every table has a last column rowid, numbered by the server: what SQLite's rowid is to
-- cv.mdb, the key by which the query window finds a row of a sorted result again. The
-- translator never shows it: "*" stands for the columns before it. Being last, it leaves an
-- INSERT without a column list filling cv.mdb's columns.

DO $$
BEGIN
    IF to_regtype('citext') IS NULL THEN
        RAISE EXCEPTION 'The audit tables need the citext extension on the search_path.';
    END IF;
END
$$;

CREATE TABLE detail (
    directory   citext,
    created     timestamp(0),
    owner       citext,
    lastaccess  date,
    lastarchive timestamp(0),
    archivor    citext,
    lastedit    timestamp(0),
    editor      citext,
    file        citext,
    sysdate     date,
    bytes       bigint,
    rowid       bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

CREATE TABLE newfiles (
    directory citext,
    created   timestamp(0),
    owner     citext,
    file      citext,
    bytes     bigint,
    rowid     bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

CREATE TABLE openedfiles (
    directory citext,
    opened    date,
    file      citext,
    bytes     bigint,
    rowid     bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

CREATE TABLE archivedfiles (
    directory citext,
    archived  timestamp(0),
    archivor  citext,
    file      citext,
    bytes     bigint,
    rowid     bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

CREATE TABLE editedfiles (
    directory citext,
    file      citext,
    bytes     bigint,
    edited    timestamp(0),
    editor    citext,
    rowid     bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

CREATE TABLE deletedfiles (
    directory citext,
    deleted   timestamp(0),
    deletor   citext,
    file      citext,
    bytes     bigint,
    rowid     bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

CREATE TABLE diractivity (
    directory citext,
    sysdate   date,
    deleted   bigint,
    created   bigint,
    modified  bigint,
    opened    bigint,
    archived  bigint,
    rowid     bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

CREATE TABLE newdirs (
    directory citext,
    created   date,
    rowid     bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

CREATE TABLE deleteddirs (
    directory citext,
    deleted   date,
    rowid     bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

CREATE TABLE temp (
    directory citext,
    date      date,
    rowid     bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

-- The same indexes as cv.mdb's, for the same statements (see cv-schema.sql for each one's use).
CREATE INDEX detail_sysdate_directory ON detail (sysdate, directory);
CREATE INDEX newfiles_directory_created ON newfiles (directory, created);
CREATE INDEX openedfiles_directory_opened ON openedfiles (directory, opened);
CREATE INDEX archivedfiles_directory_archived ON archivedfiles (directory, archived);
CREATE INDEX editedfiles_directory_edited ON editedfiles (directory, edited);
CREATE INDEX deletedfiles_directory_deleted ON deletedfiles (directory, deleted);
CREATE INDEX diractivity_sysdate_directory ON diractivity (sysdate, directory);
CREATE INDEX temp_directory ON temp (directory);
