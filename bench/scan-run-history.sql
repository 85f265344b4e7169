-- Earlier scan days in cv.mdb for the scan-run benchmark, as the benchmark's volume would have left
-- them: :days days before today of 2000 folders x 50 files in Detail, one event of each kind per
-- folder and day, the DirActivity rows of those days, and yesterday's directory snapshot (with
-- one folder that is gone since, so that both directory passes have work). Run by
-- run-scan-run-bench.sh through the sqlite3 shell with ".parameter set :days N".
BEGIN;
WITH RECURSIVE
    day(d) AS (SELECT :days UNION ALL SELECT d - 1 FROM day WHERE d > 1),
    folder(f) AS (SELECT 0 UNION ALL SELECT f + 1 FROM folder WHERE f < 1999),
    item(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM item WHERE i < 49)
INSERT INTO Detail (Directory, Created, owner, LastAccess, LastArchive, Archivor, lastedit, Editor, file,
                    SysDate, Bytes)
SELECT printf('\\BENCH\VOL:G%03d\F%02d', f / 50, f % 50), date('now', 'localtime', '-400 days') || ' 09:00:00',
       'ALICE', date('now', 'localtime', printf('-%d days', d)), NULL, NULL,
       date('now', 'localtime', printf('-%d days', d)) || ' 10:00:00', 'ALICE', printf('report-%04d.doc', i),
       date('now', 'localtime', printf('-%d days', d)), 100 + i
FROM day, folder, item
ORDER BY d DESC, f, i;

CREATE TEMP TABLE events AS
WITH RECURSIVE
    day(d) AS (SELECT :days UNION ALL SELECT d - 1 FROM day WHERE d > 1),
    folder(f) AS (SELECT 0 UNION ALL SELECT f + 1 FROM folder WHERE f < 1999)
SELECT printf('\\BENCH\VOL:G%03d\F%02d', f / 50, f % 50) AS Directory, date('now', 'localtime', printf('-%d days', d)) AS Day
FROM day, folder
ORDER BY d DESC, f;

INSERT INTO NewFiles SELECT Directory, Day || ' 09:00:00', 'ALICE', 'new.doc', 10 FROM events;
INSERT INTO OpenedFiles SELECT Directory, Day, 'opened.doc', 10 FROM events;
INSERT INTO EditedFiles SELECT Directory, 'edited.doc', 10, Day || ' 10:00:00', 'ALICE' FROM events;
INSERT INTO ArchivedFiles SELECT Directory, Day || ' 18:00:00', 'BACKUP', 'archived.doc', 10 FROM events;
INSERT INTO DeletedFiles SELECT Directory, Day || ' 11:00:00', 'ALICE', 'deleted.doc', 10 FROM events;
INSERT INTO DirActivity SELECT Directory, Day, 1, 1, 50, 50, 1 FROM events;

INSERT INTO Temp
SELECT CASE Directory WHEN '\\BENCH\VOL:G000\F00' THEN '\\BENCH\VOL:GONE' ELSE Directory END, Day
FROM events WHERE Day = date('now', 'localtime', '-1 days');
COMMIT;
