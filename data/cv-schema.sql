-- The audit database cv.mdb. The build turns this file into the empty cv.mdb that ships
-- beside the program; the program itself never creates or alters tables.
--
-- Storage: date-time values are ISO text 'YYYY-MM-DD HH:MM:SS' (local time), date-only values
-- 'YYYY-MM-DD', counts and sizes INTEGER, names TEXT. The declared types DATETIME and DATE tell
-- the row sets which text form a column holds. Names compare without regard to case, as the
-- engine the statements were written for does, so every TEXT column collates NOCASE; the
-- Directory equality of the daily tally and the finds then hit the indexes below.
--
-- Journal: the default rollback journal, not WAL. cv.mdb stays one self-contained file that
-- can be copied whenever no scan is writing, and a read-only opening never creates side files
-- (WAL would need a writable -shm beside it). The price: a reader may wait for a long scan
-- transaction to commit; the connections carry a busy timeout for that.
--
-- user_version is the schema version; a later program upgrades an older file one step at a time.

PRAGMA user_version = 1;

CREATE TABLE Detail (
    Directory   TEXT COLLATE NOCASE,
    Created     DATETIME,
    owner       TEXT COLLATE NOCASE,
    LastAccess  DATE,
    LastArchive DATETIME,
    Archivor    TEXT COLLATE NOCASE,
    lastedit    DATETIME,
    Editor      TEXT COLLATE NOCASE,
    file        TEXT COLLATE NOCASE,
    SysDate     DATE,
    Bytes       INTEGER
);

CREATE TABLE NewFiles (
    Directory TEXT COLLATE NOCASE,
    Created   DATETIME,
    owner     TEXT COLLATE NOCASE,
    file      TEXT COLLATE NOCASE,
    Bytes     INTEGER
);

CREATE TABLE OpenedFiles (
    Directory TEXT COLLATE NOCASE,
    Opened    DATE,
    file      TEXT COLLATE NOCASE,
    Bytes     INTEGER
);

CREATE TABLE ArchivedFiles (
    Directory TEXT COLLATE NOCASE,
    Archived  DATETIME,
    Archivor  TEXT COLLATE NOCASE,
    file      TEXT COLLATE NOCASE,
    Bytes     INTEGER
);

CREATE TABLE EditedFiles (
    Directory TEXT COLLATE NOCASE,
    file      TEXT COLLATE NOCASE,
    Bytes     INTEGER,
    Edited    DATETIME,
    Editor    TEXT COLLATE NOCASE
);

CREATE TABLE DeletedFiles (
    Directory TEXT COLLATE NOCASE,
    Deleted   DATETIME,
    Deletor   TEXT COLLATE NOCASE,
    file      TEXT COLLATE NOCASE,
    Bytes     INTEGER
);

CREATE TABLE DirActivity (
    Directory TEXT COLLATE NOCASE,
    SysDate   DATE,
    Deleted   INTEGER,
    Created   INTEGER,
    Modified  INTEGER,
    Opened    INTEGER,
    Archived  INTEGER
);

CREATE TABLE NewDirs (
    Directory TEXT COLLATE NOCASE,
    Created   DATE
);

CREATE TABLE DeletedDirs (
    Directory TEXT COLLATE NOCASE,
    Deleted   DATE
);

CREATE TABLE Temp (
    Directory TEXT COLLATE NOCASE,
    Date      DATE
);

-- The scan date's Detail rows: the tally and the snapshot find the first row of the day.
CREATE INDEX Detail_SysDate_Directory ON Detail (SysDate, Directory);

-- The tally counts one directory's events of one day: equality on Directory first, then the
-- day range, so the count reads only that directory's rows of that day.
CREATE INDEX NewFiles_Directory_Created ON NewFiles (Directory, Created);
CREATE INDEX OpenedFiles_Directory_Opened ON OpenedFiles (Directory, Opened);
CREATE INDEX ArchivedFiles_Directory_Archived ON ArchivedFiles (Directory, Archived);
CREATE INDEX EditedFiles_Directory_Edited ON EditedFiles (Directory, Edited);
CREATE INDEX DeletedFiles_Directory_Deleted ON DeletedFiles (Directory, Deleted);

-- The deleted-directory pass counts DirActivity rows of one day and directory; the charts
-- sum the counts per day.
CREATE INDEX DirActivity_SysDate_Directory ON DirActivity (SysDate, Directory);

-- The snapshot is read in directory order and searched by directory.
CREATE INDEX Temp_Directory ON Temp (Directory);
