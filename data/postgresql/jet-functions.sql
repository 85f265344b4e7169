-- Jet's functions for an audit database on PostgreSQL 15.
--
-- `cv --init-database` runs this file in the database (or schema) it sets up. It creates
-- functions only, in the current schema (the first one of search_path), each with CREATE OR
-- REPLACE: it runs again over an older copy, and the owner of the schema needs no superuser.
-- Translated statements call these functions by the names cv.mdb's SQLite connection
-- registers (jetleft, jetdateadd, jetformat; jetconcat for &, jetplus for +, jetdiv for /,
-- jetintdiv for \, jetmod for Mod, jetpower for ^), and get what the SQLite ones give.
-- The schema has to be on the search_path of every session that runs them.
--
-- Values. Date-time columns are timestamp (without time zone: local time), date columns date,
-- whole numbers bigint, reals double precision, texts citext (below). Every public function
-- takes each argument as text, bigint, double precision or timestamp: the overloads for every
-- combination are made at the end of this file, and PostgreSQL's implicit casts bring the
-- other types there (integer and numeric to double precision, date to timestamp, citext and
-- varchar to text, an untyped literal or NULL to text). Dates are dates by their type, where
-- SQLite has to recognise them by their text; a text in the stored form ('2026-12-06',
-- '2026-12-06 10:05:00', '10:05:00') still counts as a date in + and -, as it does there.
-- Dates come back as timestamp (a time alone on Jet's day 0, 1899-12-30), whole numbers as
-- bigint, others as double precision. Where the kind of an outcome depends on a text's content
-- (+ and - with a text operand: concatenation, a date or a number), it comes back as text in
-- the form SQLite shows. A timestamp given where a text is wanted reads as SQLite's stored
-- form of the same value ('2026-12-06' at midnight, '10:05:00' on day 0).
--
-- Texts compare without regard to case, as Jet compares: the schema declares its text columns
-- citext, not with a nondeterministic ICU collation, because
--   1. PostgreSQL 15 refuses LIKE, regular expressions, strpos() and replace() on values of a
--      nondeterministic collation, so every such use in a translated statement (and in these
--      functions) would need an explicit COLLATE; with citext they keep working;
--   2. citext lowers each character and compares what is left character by character: under
--      a C collation that is exactly the ASCII folding of cv.mdb's NOCASE, under a UTF-8
--      ctype every letter folds. An ICU level-2 collation also takes canonically equivalent
--      and ignorable characters as equal, so two file names the file system keeps apart
--      would count as one directory in the daily tally;
--   3. citext is a trusted extension of postgresql-15, so the database owner creates it
--      without a superuser.
-- The price: sorting citext lowers both sides of every comparison, and a citext compared with
-- a plain text uses text's case-sensitive operator (results of these functions are text), so
-- a translator compares such results with columns through citext. These functions take citext
-- as text; their own case-blind work (LIKE, InStr, the names of formats) folds case with ICU's
-- root rules, as the SQLite functions do with Qt's, whatever the database's locale.
--
-- Errors are raised with Jet's words: "Data type mismatch in criteria expression." (SQLSTATE
-- 42804), "Invalid procedure call or argument." (22023), "Overflow." (22003), "Division by
-- zero." (22012), "Invalid pattern string." (2201B). Every function is IMMUTABLE and PARALLEL
-- SAFE but jetnow, jetdate and jettime: STABLE, the time of the client's statement in the
-- session's TimeZone (and jet_error, which only raises). jetlike gives a boolean, for WHERE.
-- A NULL argument gives NULL (except to jetconcat, where only two NULLs do). Helpers are
-- named jet_<name>; the public functions jet<name>, as SQLite knows them. Literals with a
-- backslash are written E'...', so they read the same under any standard_conforming_strings.

DO $$
BEGIN
    IF current_setting('server_version_num')::integer < 150000 THEN
        RAISE EXCEPTION 'Jet''s functions need PostgreSQL 15 or later; this server is %.',
            current_setting('server_version');
    END IF;
    IF NOT EXISTS (SELECT FROM pg_catalog.pg_collation WHERE collname = 'und-x-icu') THEN
        RAISE EXCEPTION 'Jet''s functions need ICU: this PostgreSQL has no collation "und-x-icu".';
    END IF;
END
$$;

-- ---------------------------------------------------------------------------------------
-- Errors

CREATE OR REPLACE FUNCTION jet_error(what text) RETURNS void
LANGUAGE plpgsql PARALLEL SAFE AS $$
BEGIN
    CASE what
    WHEN 'mismatch' THEN
        RAISE EXCEPTION USING MESSAGE = 'Data type mismatch in criteria expression.', ERRCODE = '42804';
    WHEN 'invalid' THEN
        RAISE EXCEPTION USING MESSAGE = 'Invalid procedure call or argument.', ERRCODE = '22023';
    WHEN 'overflow' THEN
        RAISE EXCEPTION USING MESSAGE = 'Overflow.', ERRCODE = '22003';
    WHEN 'division' THEN
        RAISE EXCEPTION USING MESSAGE = 'Division by zero.', ERRCODE = '22012';
    WHEN 'pattern' THEN
        RAISE EXCEPTION USING MESSAGE = 'Invalid pattern string.', ERRCODE = '2201B';
    END CASE;
END
$$;

-- A value within lowest .. highest as it is; else the error of Jet's words for what.
CREATE OR REPLACE FUNCTION jet_within(v anycompatible, lowest anycompatible, highest anycompatible, what text)
RETURNS anycompatible
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
    IF v < lowest OR v > highest THEN
        PERFORM jet_error(what);
    END IF;
    RETURN v;
END
$$;

-- ---------------------------------------------------------------------------------------
-- Texts

-- Blanks at both ends go as Qt's trimmed() takes them: ASCII white space and Unicode's
-- separators.
CREATE OR REPLACE FUNCTION jet_trim(t text) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN btrim(t, E' \t\n\u000b\f\r\u0085\u00a0\u1680\u2000\u2001\u2002\u2003\u2004\u2005\u2006'
                 || E'\u2007\u2008\u2009\u200a\u2028\u2029\u202f\u205f\u3000');

-- UCase and LCase map case in full (straße to STRASSE); a capital sigma lowers to σ wherever
-- it stands, as in Qt.
CREATE OR REPLACE FUNCTION jet_upper(t text) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN upper(t COLLATE "und-x-icu");

CREATE OR REPLACE FUNCTION jet_lower(t text) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN lower(translate(t, E'\u03a3', E'\u03c3') COLLATE "und-x-icu");

-- Simple case folding, one character for one: lowering, plus the letters whose folded form is
-- not their lower case (final sigma, long s, micro sign, the Greek symbol forms). A dotted
-- capital I folds to itself: it is kept aside from lower(), which would make two characters
-- of it.
CREATE OR REPLACE FUNCTION jet_fold(t text) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN translate(
    lower(translate(t, E'\u03a3\u0130', E'\u03c3\ufdd0') COLLATE "und-x-icu"),
    E'\u03c2\u017f\u03d0\u03d1\u03d5\u03d6\u03f0\u03f1\u03f5\u1e9b\u1fbe\u0345\u00b5\ufdd0',
    E'\u03c3\u0073\u03b2\u03b8\u03c6\u03c0\u03ba\u03c1\u03b5\u1e61\u03b9\u03b9\u03bc\u0130');

-- One character in a regular expression: ASCII punctuation escaped, everything else as it is.
CREATE OR REPLACE FUNCTION jet_regex_char(c text) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN CASE WHEN ascii(c) < 128 AND c !~ '[A-Za-z0-9]' THEN E'\\' || c ELSE c END;

-- The character of a code SPACE-like functions repeat. PostgreSQL's text cannot hold NUL, so
-- code 0 gives nothing; a lone surrogate is written as UTF-8 cannot hold it either, as "?".
CREATE OR REPLACE FUNCTION jet_char(code bigint) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN CASE WHEN code = 0 THEN '' WHEN code BETWEEN 55296 AND 57343 THEN '?' ELSE chr(code::integer) END;

-- ---------------------------------------------------------------------------------------
-- Numbers

-- A decimal text (digits, point, exponent) as the nearest double. Beyond the doubles' range
-- the value is infinite and not exact; below the smallest it is 0 and not exact, as Qt's
-- toDouble() reports.
CREATE OR REPLACE FUNCTION jet_parse_real(t text, OUT value double precision, OUT exact boolean)
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    exponent text := substring(t FROM '[eE]([+-]?[0-9]+)$');
    n numeric;
BEGIN
    -- numeric reads any exponent PostgreSQL's float8 could; far beyond, only its sign counts
    IF exponent IS NOT NULL AND length(ltrim(exponent, '+-0')) > 5 THEN
        exact := false;
        IF t !~ '[1-9].*[eE]' THEN
            value := 0;
            exact := true;
        ELSIF left(exponent, 1) = '-' THEN
            value := 0;
        ELSE
            value := CASE WHEN left(t, 1) = '-' THEN '-Infinity' ELSE 'Infinity' END;
        END IF;
        RETURN;
    END IF;
    n := t::numeric;
    -- halfway between the largest double and the next power of two
    IF abs(n) >= 179769313486231580793728971405303415079934132710037826936173778980444968292764750946649017977587207096330286416692887910946555547851940402630657488671505820681908902000708383676273854845817711531764475730270069855571366959622842914819860834936475292719074168444365510704342711559699508093042880177904174497792 THEN
        value := CASE WHEN n < 0 THEN '-Infinity' ELSE 'Infinity' END;
        exact := false;
    ELSIF n <> 0 AND abs(n) <= 2.4703282292062327209e-324 THEN
        value := 0;
        exact := false;
    ELSE
        value := n::double precision;
        exact := true;
    END IF;
END
$$;

-- The leading decimal number of a text, blanks at both ends aside; NULL when there is none or
-- it does not fit a double.
CREATE OR REPLACE FUNCTION jet_real_or_null(t text) RETURNS double precision
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    s text := jet_trim(t);
    r record;
BEGIN
    IF s !~ E'^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$' THEN
        RETURN NULL;
    END IF;
    r := jet_parse_real(s);
    RETURN CASE WHEN r.exact THEN r.value END;
END
$$;

-- The digits of a non-negative value with a number of decimals, taken from its 15
-- significant digits as Jet converts a double to decimal (a double becomes numeric that way):
-- {whole digits without leading zeros, empty below 1; the decimals}. Halves go up, or to the
-- even neighbour.
CREATE OR REPLACE FUNCTION jet_decimal_digits(v double precision, decimals integer, half_even boolean)
RETURNS text[]
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    n numeric := v::numeric;
    kept numeric;
    dropped numeric;
    shown text;
    whole text;
BEGIN
    IF half_even THEN
        kept := trunc(n, decimals);
        dropped := (n - kept) * power(10::numeric, decimals);
        IF dropped > 0.5 OR (dropped = 0.5 AND trunc(kept * power(10::numeric, decimals)) % 2 = 1) THEN
            kept := kept + power(10::numeric, -decimals);
        END IF;
        kept := round(kept, decimals);
    ELSE
        kept := round(n, decimals);
    END IF;
    shown := kept::text;
    whole := split_part(shown, '.', 1);
    RETURN ARRAY[CASE WHEN whole = '0' THEN '' ELSE whole END, split_part(shown, '.', 2)];
END
$$;

-- A number with at least width digits, zeros in front.
CREATE OR REPLACE FUNCTION jet_padded(v bigint, width integer) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN CASE WHEN length(v::text) >= width THEN v::text ELSE lpad(v::text, width, '0') END;

-- A number as Jet writes it: whole numbers below 1E15 without a point, others with up to 15
-- significant digits ("0.1", "1E+20", "1.5E-07").
CREATE OR REPLACE FUNCTION jet_number_text(v double precision) RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    shown text;
    whole text;
    fraction text;
    digits text;
    exponent integer;
    mantissa text;
BEGIN
    IF v = trunc(v) AND abs(v) < 1e15 THEN
        RETURN v::bigint::text;
    END IF;
    IF v = 'NaN' THEN
        RETURN 'NAN';
    ELSIF v = 'Infinity' THEN
        RETURN 'INF';
    ELSIF v = '-Infinity' THEN
        RETURN '-INF';
    END IF;
    shown := abs(v)::numeric::text;
    whole := split_part(shown, '.', 1);
    fraction := split_part(shown, '.', 2);
    IF whole <> '0' THEN
        exponent := length(whole) - 1;
        digits := rtrim(whole || fraction, '0');
    ELSE
        exponent := -(length(fraction) - length(ltrim(fraction, '0')) + 1);
        digits := rtrim(ltrim(fraction, '0'), '0');
    END IF;
    IF exponent < -4 OR exponent >= 15 THEN
        mantissa := left(digits, 1) || CASE WHEN length(digits) > 1 THEN '.' || substr(digits, 2) ELSE '' END;
        shown := mantissa || 'E' || CASE WHEN exponent < 0 THEN '-' ELSE '+' END
                 || jet_padded(abs(exponent), 2);
    ELSIF exponent >= 0 THEN
        shown := rpad(left(digits, exponent + 1), exponent + 1, '0')
                 || CASE WHEN length(digits) > exponent + 1 THEN '.' || substr(digits, exponent + 2) ELSE '' END;
    ELSE
        shown := '0.' || repeat('0', -exponent - 1) || digits;
    END IF;
    RETURN CASE WHEN v < 0 THEN '-' ELSE '' END || shown;
END
$$;

-- Round to a number of decimals on the value's decimal digits, halves to the even neighbour.
CREATE OR REPLACE FUNCTION jet_round(decimals integer, v double precision) RETURNS double precision
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    digits text[] := jet_decimal_digits(abs(v), decimals, true);
    magnitude double precision := (CASE WHEN digits[1] = '' THEN '0' ELSE digits[1] END || '.' || digits[2] || '0')::double precision;
BEGIN
    RETURN CASE WHEN v < 0 THEN -magnitude ELSE magnitude END;
END
$$;

-- a + b of two doubles; a sum beyond the doubles' range is Jet's overflow.
CREATE OR REPLACE FUNCTION jet_add_real(a double precision, b double precision) RETURNS double precision
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    half double precision;
BEGIN
    IF abs(a) < 8.98846567431158e307 AND abs(b) < 8.98846567431158e307 THEN
        RETURN a + b;
    END IF;
    half := a / 2 + b / 2;
    IF abs(half) > 8.98846567431157953e307 THEN
        PERFORM jet_error('overflow');
    END IF;
    RETURN half * 2;
END
$$;

-- Whole sums stay exact; one beyond bigint is the double sum, as SQLite gives it.
CREATE OR REPLACE FUNCTION jet_add_whole(a bigint, b bigint) RETURNS numeric
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN CASE WHEN a::numeric + b BETWEEN -9223372036854775808 AND 9223372036854775807 THEN a::numeric + b
            ELSE (a::double precision + b::double precision)::numeric END;

CREATE OR REPLACE FUNCTION jet_subtract_whole(a bigint, b bigint) RETURNS numeric
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN CASE WHEN a::numeric - b BETWEEN -9223372036854775808 AND 9223372036854775807 THEN a::numeric - b
            ELSE (a::double precision - b::double precision)::numeric END;

-- ---------------------------------------------------------------------------------------
-- Dates. Jet's serial numbers count days from day 0, 1899-12-30; its years run from 100 to
-- 9999, days -657434 to 2958465 from day 0.

-- A day (counted from day 0) and the seconds past its midnight; NULL outside Jet's years.
CREATE OR REPLACE FUNCTION jet_date_at(days bigint, seconds bigint) RETURNS timestamp
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN CASE WHEN days BETWEEN -657434 AND 2958465
            THEN (date '1899-12-30' + days::integer) + seconds * interval '1 second' END;

CREATE OR REPLACE FUNCTION jet_days(v timestamp) RETURNS integer
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN v::date - date '1899-12-30';

CREATE OR REPLACE FUNCTION jet_seconds(v timestamp) RETURNS integer
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN floor(date_part('epoch', v::time))::integer;

-- Days from day 0 to a day of the proleptic Gregorian calendar, in astronomical years (year 0
-- is 1 BC), for any year: date arithmetic that leaves PostgreSQL's range on the way back.
CREATE OR REPLACE FUNCTION jet_civil_days(year bigint, month integer, day bigint) RETURNS bigint
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    y bigint := year - CASE WHEN month <= 2 THEN 1 ELSE 0 END;
    era bigint := CASE WHEN y >= 0 THEN y ELSE y - 399 END / 400;
    year_of_era bigint := y - era * 400;
    day_of_year bigint := (153 * (month + CASE WHEN month > 2 THEN -3 ELSE 9 END) + 2) / 5 + day - 1;
BEGIN
    RETURN era * 146097 + year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year - 693899;
END
$$;

CREATE OR REPLACE FUNCTION jet_days_in_month(year integer, month integer) RETURNS integer
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN CASE WHEN month = 2 THEN CASE WHEN (year % 4 = 0 AND year % 100 <> 0) OR year % 400 = 0 THEN 29 ELSE 28 END
            WHEN month IN (4, 6, 9, 11) THEN 30
            ELSE 31 END;

-- A date moved by whole months, the day kept where the month has it (Jan 31 + 1 month is the
-- last day of February); NULL outside Jet's years.
CREATE OR REPLACE FUNCTION jet_add_months(v timestamp, months bigint) RETURNS timestamp
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    total bigint := date_part('year', v)::bigint * 12 + date_part('month', v)::bigint - 1 + months;
    year bigint := CASE WHEN total >= 0 THEN total / 12 ELSE -((-total + 11) / 12) END;
    month integer := (total - year * 12 + 1)::integer;
BEGIN
    IF year < 100 OR year > 9999 THEN
        RETURN NULL;
    END IF;
    RETURN make_date(year::integer, month, least(date_part('day', v)::integer, jet_days_in_month(year::integer, month)))
           + jet_seconds(v) * interval '1 second';
END
$$;

-- Seconds on one continuous scale (from the start of the Julian day count), for arithmetic
-- across days.
CREATE OR REPLACE FUNCTION jet_linear(v timestamp) RETURNS bigint
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN (jet_days(v) + 2415019::bigint) * 86400 + jet_seconds(v);

CREATE OR REPLACE FUNCTION jet_from_linear(seconds bigint) RETURNS timestamp
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    days bigint := CASE WHEN seconds >= 0 THEN seconds / 86400 ELSE -((-seconds + 86399) / 86400) END;
BEGIN
    RETURN jet_date_at(days - 2415019, seconds - days * 86400);
END
$$;

-- Jet's serial number: a date before day 0 keeps its time as a positive fraction
-- (-1.25 is 12/29/1899 6:00).
CREATE OR REPLACE FUNCTION jet_serial(v timestamp) RETURNS double precision
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    days integer := jet_days(v);
    fraction double precision := jet_seconds(v)::double precision / 86400;
BEGIN
    RETURN CASE WHEN days < 0 THEN days - fraction ELSE days + fraction END;
END
$$;

CREATE OR REPLACE FUNCTION jet_from_serial(serial double precision) RETURNS timestamp
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    whole double precision;
    seconds double precision;
    days bigint;
BEGIN
    IF NOT abs(serial) <= 3e6 THEN
        RETURN NULL;
    END IF;
    whole := trunc(serial);
    days := whole::bigint;
    seconds := abs(serial - whole) * 86400;
    seconds := CASE WHEN seconds - floor(seconds) >= 0.5 THEN ceil(seconds) ELSE floor(seconds) END;
    IF seconds = 86400 THEN
        days := days + CASE WHEN serial < 0 THEN -1 ELSE 1 END;
        seconds := 0;
    END IF;
    RETURN jet_date_at(days, seconds::bigint);
END
$$;

-- The stored form: 'YYYY-MM-DD' at midnight, 'HH:MM:SS' on day 0, else 'YYYY-MM-DD HH:MM:SS'.
CREATE OR REPLACE FUNCTION jet_storage_text(v timestamp) RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
    IF v::date = date '1899-12-30' THEN
        RETURN to_char(v, 'HH24:MI:SS');
    ELSIF v = v::date THEN
        RETURN to_char(v, 'YYYY-MM-DD');
    END IF;
    RETURN to_char(v, 'YYYY-MM-DD HH24:MI:SS');
END
$$;

-- Whether a text is in one of the stored forms, as SQLite recognises a stored date (a
-- newline at its end included).
CREATE OR REPLACE FUNCTION jet_is_stored_date(t text) RETURNS boolean
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN t ~ E'^(?:[0-9]{4}-[0-9]{2}-[0-9]{2}(?: [0-9]{2}:[0-9]{2}:[0-9]{2})?|[0-9]{2}:[0-9]{2}:[0-9]{2})\\n?$';

-- h[:mm[:ss]] with AM/PM (A, P), or h:mm[:ss]: the seconds past midnight; NULL otherwise.
CREATE OR REPLACE FUNCTION jet_parse_time(t text) RETURNS integer
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    m text[] := regexp_match(t, E'^([0-9]{1,2})(?::([0-9]{1,2})(?::([0-9]{1,2}))?)?[ \\t\\n\\v\\f\\r]*([AaPp][Mm]?)?$');
    hour integer;
    minute integer;
    second integer;
BEGIN
    IF m IS NULL OR (m[2] IS NULL AND m[4] IS NULL) THEN
        RETURN NULL;
    END IF;
    hour := m[1]::integer;
    minute := coalesce(m[2]::integer, 0);
    second := coalesce(m[3]::integer, 0);
    IF m[4] IS NOT NULL THEN
        IF hour > 12 THEN
            RETURN NULL;
        END IF;
        hour := hour % 12 + CASE WHEN upper(left(m[4], 1)) = 'P' THEN 12 ELSE 0 END;
    END IF;
    IF hour > 23 OR minute > 59 OR second > 59 THEN
        RETURN NULL;
    END IF;
    RETURN (hour * 60 + minute) * 60 + second;
END
$$;

-- month/day/year (two-digit years as 1930..2029) or year-month-day, with / or -.
CREATE OR REPLACE FUNCTION jet_parse_day(t text) RETURNS date
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    m text[] := regexp_match(t, E'^([0-9]{1,2})([/-])([0-9]{1,2})\\2([0-9]{4}|[0-9]{1,2})$');
    year integer;
    month integer;
    day integer;
BEGIN
    IF m IS NOT NULL THEN
        year := m[4]::integer;
        IF length(m[4]) <= 2 THEN
            year := year + CASE WHEN year < 30 THEN 2000 ELSE 1900 END;
        END IF;
        month := m[1]::integer;
        day := m[3]::integer;
    ELSE
        m := regexp_match(t, E'^([0-9]{4})([/-])([0-9]{1,2})\\2([0-9]{1,2})$');
        IF m IS NULL THEN
            RETURN NULL;
        END IF;
        year := m[1]::integer;
        month := m[3]::integer;
        day := m[4]::integer;
    END IF;
    IF year < 100 OR year > 9999 OR month < 1 OR month > 12 OR day < 1 OR day > jet_days_in_month(year, month) THEN
        RETURN NULL;
    END IF;
    RETURN make_date(year, month, day);
END
$$;

-- A text read as a Jet date literal is: a date, a date and a time (after blanks, or after a T
-- in year-month-dayThh:mm), or a time alone on day 0. NULL when it is none of them.
CREATE OR REPLACE FUNCTION jet_parse_date(t text) RETURNS timestamp
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    s text := jet_trim(t);
    seconds integer := jet_parse_time(s);
    date_end integer;
    time_start integer;
    day date;
BEGIN
    IF seconds IS NOT NULL THEN
        RETURN date '1899-12-30' + seconds * interval '1 second';
    END IF;
    IF s ~ '^[0-9]{4}-[0-9]{1,2}-[0-9]{1,2}T' THEN
        time_start := strpos(s, 'T') + 1;
        date_end := time_start - 2;
    ELSE
        date_end := regexp_instr(s, E'[ \\t\\n\\v\\f\\r]+') - 1;
        time_start := regexp_instr(s, E'[ \\t\\n\\v\\f\\r]+', 1, 1, 1);
    END IF;
    IF date_end < 0 THEN
        RETURN jet_parse_day(s);
    END IF;
    day := jet_parse_day(left(s, date_end));
    seconds := jet_parse_time(substr(s, time_start));
    IF day IS NULL OR seconds IS NULL THEN
        RETURN NULL;
    END IF;
    RETURN day + seconds * interval '1 second';
END
$$;

-- A timestamp as a Jet date: to whole seconds, NULL outside Jet's years.
CREATE OR REPLACE FUNCTION jet_checked_date(v timestamp) RETURNS timestamp
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN CASE WHEN v >= timestamp '0100-01-01' AND v < timestamp '10000-01-01' THEN date_trunc('second', v) END;

-- Days from Jet's day 0 to the start of the week that holds a date, weeks starting on
-- first_day (1 Sunday .. 7 Saturday).
CREATE OR REPLACE FUNCTION jet_weekday(v timestamp, first_day integer) RETURNS bigint
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN ((date_part('dow', v)::integer + 1 - first_day + 7) % 7 + 1)::bigint;

CREATE OR REPLACE FUNCTION jet_week_start(v timestamp, first_day integer) RETURNS bigint
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN jet_days(v) - (jet_weekday(v, first_day) - 1);

-- ---------------------------------------------------------------------------------------
-- Arguments in Jet's terms. A function reads each argument as a text, a number, a whole
-- number or a date, whatever type it comes as; what does not convert is a type mismatch.

CREATE OR REPLACE FUNCTION jet_date(v text) RETURNS timestamp
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    d timestamp := jet_parse_date(v);
BEGIN
    IF d IS NULL THEN
        PERFORM jet_error('mismatch');
    END IF;
    RETURN d;
END
$$;

CREATE OR REPLACE FUNCTION jet_date(v double precision) RETURNS timestamp
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    d timestamp := jet_from_serial(v);
BEGIN
    IF d IS NULL THEN
        PERFORM jet_error('mismatch');
    END IF;
    RETURN d;
END
$$;

CREATE OR REPLACE FUNCTION jet_date(v bigint) RETURNS timestamp
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN jet_date(v::double precision);

CREATE OR REPLACE FUNCTION jet_date(v timestamp) RETURNS timestamp
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    d timestamp := jet_checked_date(v);
BEGIN
    IF d IS NULL THEN
        PERFORM jet_error('mismatch');
    END IF;
    RETURN d;
END
$$;

CREATE OR REPLACE FUNCTION jet_text(v text) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN v;

CREATE OR REPLACE FUNCTION jet_text(v bigint) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN v::text;

CREATE OR REPLACE FUNCTION jet_text(v double precision) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN jet_number_text(v);

CREATE OR REPLACE FUNCTION jet_text(v timestamp) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN jet_storage_text(v);

-- A text's number: its decimal number, else the serial number of the date it holds.
CREATE OR REPLACE FUNCTION jet_number_or_null(v text) RETURNS double precision
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN coalesce(jet_real_or_null(v), jet_serial(jet_parse_date(v)));

CREATE OR REPLACE FUNCTION jet_number(v text) RETURNS double precision
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    n double precision := jet_number_or_null(v);
BEGIN
    IF n IS NULL THEN
        PERFORM jet_error('mismatch');
    END IF;
    RETURN n;
END
$$;

CREATE OR REPLACE FUNCTION jet_number(v bigint) RETURNS double precision
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN v::double precision;

CREATE OR REPLACE FUNCTION jet_number(v double precision) RETURNS double precision
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN v;

CREATE OR REPLACE FUNCTION jet_number(v timestamp) RETURNS double precision
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN jet_serial(jet_date(v));

-- A whole number the way Jet makes one: halves to the even neighbour.
CREATE OR REPLACE FUNCTION jet_whole(v double precision) RETURNS bigint
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    rounded double precision := round(v);
BEGIN
    IF NOT abs(rounded) < 9.2e18 THEN
        PERFORM jet_error('overflow');
    END IF;
    RETURN rounded::bigint;
END
$$;

CREATE OR REPLACE FUNCTION jet_whole(v bigint) RETURNS bigint
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN v;

CREATE OR REPLACE FUNCTION jet_whole(v text) RETURNS bigint
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN jet_whole(jet_number(v));

CREATE OR REPLACE FUNCTION jet_whole(v timestamp) RETURNS bigint
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN jet_whole(jet_number(v));

-- Arguments with rules of their own, checked as soon as they are read.

-- The interval of DateAdd, DateDiff and DatePart.
CREATE OR REPLACE FUNCTION jet_interval(t text) RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    interval_name text := lower(jet_trim(t) COLLATE "C");
BEGIN
    IF interval_name NOT IN ('yyyy', 'q', 'm', 'y', 'd', 'w', 'ww', 'h', 'n', 's') THEN
        PERFORM jet_error('invalid');
    END IF;
    RETURN interval_name;
END
$$;

-- The first day of the week: 1 Sunday (0 too, "as the system") .. 7 Saturday.
CREATE OR REPLACE FUNCTION jet_first_day(w bigint) RETURNS integer
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN greatest(jet_within(w, 0, 7, 'invalid'), 1);

-- The first week of the year: only the week holding January 1 (0 or 1) is known.
CREATE OR REPLACE FUNCTION jet_week_rule(w bigint) RETURNS bigint
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN jet_within(w, -9223372036854775808, 1, 'invalid');

-- The length of a text SPACE and STRING build, up to a million characters.
CREATE OR REPLACE FUNCTION jet_built_length(w bigint) RETURNS integer
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN jet_within(w, 0, 1000000, 'invalid');

-- The character STRING repeats: the first of a text, or a character code.
CREATE OR REPLACE FUNCTION jet_fill_char(v text) RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
    IF v = '' THEN
        PERFORM jet_error('invalid');
    END IF;
    RETURN left(v, 1);
END
$$;

CREATE OR REPLACE FUNCTION jet_fill_char(v bigint) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN jet_char(jet_within(v, 0, 65535, 'invalid'));

CREATE OR REPLACE FUNCTION jet_fill_char(v double precision) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN jet_fill_char(jet_whole(v));

CREATE OR REPLACE FUNCTION jet_fill_char(v timestamp) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN left(jet_storage_text(v), 1);

-- The decimals of Round: 0 to 15.
CREATE OR REPLACE FUNCTION jet_decimals(w bigint) RETURNS integer
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN jet_within(w, 0, 15, 'invalid');

-- Divisors are read, and refused when zero, before the dividend.
CREATE OR REPLACE FUNCTION jet_divisor(v anyelement) RETURNS anyelement
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
    IF v = 0 THEN
        PERFORM jet_error('division');
    END IF;
    RETURN v;
END
$$;

-- ---------------------------------------------------------------------------------------
-- Texts

CREATE OR REPLACE FUNCTION jet_left(t text, length bigint) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN left(t, least(jet_within(length, 0, 9223372036854775807, 'invalid'), 1000000000)::integer);

CREATE OR REPLACE FUNCTION jet_right(t text, length bigint) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN right(t, least(jet_within(length, 0, 9223372036854775807, 'invalid'), 1000000000)::integer);

CREATE OR REPLACE FUNCTION jet_mid(t text, start bigint) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN substr(t, least(jet_within(start, 1, 9223372036854775807, 'invalid'), 1000000000)::integer);

-- PL/pgSQL, not SQL: inlined, the start would be checked before the length is read.
CREATE OR REPLACE FUNCTION jet_mid(t text, start bigint, length bigint) RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
    IF start < 1 OR length < 0 THEN
        PERFORM jet_error('invalid');
    END IF;
    RETURN substr(t, least(start, 1000000000)::integer, least(length, 1000000000)::integer);
END
$$;

-- InStr([start,] text, sought [, compare]): 1-based; compare 0 is binary, 1 (the default, as
-- Jet compares text) ignores case.
CREATE OR REPLACE FUNCTION jet_instr(start bigint, t text, sought text, compare bigint) RETURNS bigint
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    found integer;
BEGIN
    IF start < 1 OR compare < 0 OR compare > 1 THEN
        PERFORM jet_error('invalid');
    END IF;
    IF start > length(t) THEN
        RETURN 0;
    ELSIF length(sought) = 0 THEN
        RETURN start;
    ELSIF compare = 0 THEN
        found := strpos(substr(t, start::integer) COLLATE "C", sought);
    ELSE
        found := strpos(substr(jet_fold(t), start::integer) COLLATE "C", jet_fold(sought));
    END IF;
    RETURN CASE WHEN found = 0 THEN 0 ELSE found + start - 1 END;
END
$$;

CREATE OR REPLACE FUNCTION jet_str(v double precision) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN CASE WHEN v >= 0 THEN ' ' ELSE '' END || jet_number_text(v);

-- PL/pgSQL, not SQL: inlined, repeat(c, length) would read the character before the length.
CREATE OR REPLACE FUNCTION jet_string(length integer, c text) RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
    RETURN repeat(c, length);
END
$$;

CREATE OR REPLACE FUNCTION jet_asc(t text) RETURNS bigint
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
    IF t = '' THEN
        PERFORM jet_error('invalid');
    END IF;
    RETURN ascii(t);
END
$$;

CREATE OR REPLACE FUNCTION jet_chr(code bigint) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN jet_char(jet_within(code, 0, 255, 'invalid'));

-- Val reads the leading number of a text, blanks skipped wherever they are, and stops at the
-- first character that cannot continue it (D as an exponent too); 0 when there is none.
CREATE OR REPLACE FUNCTION jet_val(v text) RETURNS double precision
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    m text[] := regexp_match(regexp_replace(v, E'[ \\t\\n\\v\\f\\r]+', '', 'g'),
                             E'^([+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eEdD][+-]?[0-9]+)?)');
    r record;
BEGIN
    IF m IS NULL THEN
        RETURN 0;
    END IF;
    r := jet_parse_real(translate(m[1], 'dD', 'ee'));
    IF r.value IN ('Infinity', '-Infinity') THEN
        PERFORM jet_error('overflow');
    END IF;
    RETURN r.value;
END
$$;

-- A number is its own value (a bigint comes here too).
CREATE OR REPLACE FUNCTION jet_val(v double precision) RETURNS double precision
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN v;

CREATE OR REPLACE FUNCTION jet_val(v timestamp) RETURNS double precision
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN jet_val(jet_storage_text(v));

CREATE OR REPLACE FUNCTION jet_concat(a text, b text) RETURNS text
LANGUAGE plpgsql IMMUTABLE PARALLEL SAFE AS $$
BEGIN
    IF a IS NULL AND b IS NULL THEN
        RETURN NULL;
    END IF;
    RETURN coalesce(a, '') || coalesce(b, '');
END
$$;

-- ---------------------------------------------------------------------------------------
-- Conversions and arithmetic

CREATE OR REPLACE FUNCTION jet_sqr(v double precision) RETURNS double precision
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN sqrt(jet_within(v, 0, 'Infinity', 'invalid'));

-- dividend / divisor of doubles: beyond the doubles' range an overflow, below it 0.
CREATE OR REPLACE FUNCTION jet_div(divisor double precision, dividend double precision) RETURNS double precision
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    magnitude double precision;
BEGIN
    IF dividend = 0 OR (abs(dividend) BETWEEN 1e-150 AND 1e150 AND abs(divisor) BETWEEN 1e-150 AND 1e150) THEN
        RETURN dividend / divisor;
    END IF;
    magnitude := log(abs(dividend)) - log(abs(divisor));
    IF magnitude > 308.25472 THEN
        PERFORM jet_error('overflow');
    ELSIF magnitude < -323.2 THEN
        RETURN 0;
    END IF;
    RETURN dividend / divisor;
END
$$;

CREATE OR REPLACE FUNCTION jet_intdiv(divisor bigint, dividend bigint) RETURNS bigint
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
    IF dividend = -9223372036854775808 AND divisor = -1 THEN
        PERFORM jet_error('overflow');
    END IF;
    RETURN dividend / divisor;
END
$$;

CREATE OR REPLACE FUNCTION jet_mod(divisor bigint, dividend bigint) RETURNS bigint
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
    IF dividend = -9223372036854775808 AND divisor = -1 THEN
        PERFORM jet_error('overflow');
    END IF;
    RETURN dividend % divisor;
END
$$;

-- base ^ exponent: a negative base takes whole exponents only; a result beyond the doubles'
-- range (0 to a negative power among them) is an overflow, one below it 0.
CREATE OR REPLACE FUNCTION jet_power(base double precision, exponent double precision) RETURNS double precision
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    digits double precision;
    magnitude double precision;
BEGIN
    IF base < 0 AND exponent <> trunc(exponent) THEN
        PERFORM jet_error('invalid');
    END IF;
    IF base = 0 THEN
        IF exponent < 0 THEN
            PERFORM jet_error('overflow');
        END IF;
        RETURN power(base, exponent);
    END IF;
    digits := log(abs(base));
    magnitude := CASE WHEN abs(exponent) < 1e305 THEN exponent * digits
                      ELSE sign(exponent) * sign(digits) * 1e306 END;
    IF magnitude > 308.25472 THEN
        PERFORM jet_error('overflow');
    ELSIF magnitude < -323.2 THEN
        RETURN 0;
    END IF;
    RETURN power(base, exponent);
END
$$;

-- A date moved by days and their fraction, to the nearest second.
CREATE OR REPLACE FUNCTION jet_add_days(v timestamp, days double precision) RETURNS timestamp
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    seconds double precision;
    moved timestamp;
BEGIN
    IF abs(days) > 4e6 THEN
        PERFORM jet_error('invalid');
    END IF;
    seconds := days * 86400;
    seconds := CASE WHEN abs(seconds - trunc(seconds)) >= 0.5 THEN trunc(seconds) + sign(seconds) ELSE trunc(seconds) END;
    moved := jet_from_linear(jet_linear(v) + seconds::bigint);
    IF moved IS NULL THEN
        PERFORM jet_error('invalid');
    END IF;
    RETURN moved;
END
$$;

CREATE OR REPLACE FUNCTION jet_date_difference(a timestamp, b timestamp) RETURNS double precision
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN (jet_linear(a) - jet_linear(b))::double precision / 86400;

-- + and - with a text operand, as SQLite computes them on texts and numbers: a text in the
-- stored form is a date, two other texts join. The outcome is shown as SQLite shows it.
CREATE OR REPLACE FUNCTION jet_plus_text(a text, b text) RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
    IF jet_is_stored_date(a) AND jet_is_stored_date(b) THEN
        RETURN jet_number_text(jet_add_real(jet_serial(jet_date(a)), jet_serial(jet_date(b))));
    ELSIF jet_is_stored_date(a) THEN
        RETURN jet_storage_text(jet_add_days(jet_date(a), jet_number(b)));
    ELSIF jet_is_stored_date(b) THEN
        RETURN jet_storage_text(jet_add_days(jet_date(b), jet_number(a)));
    END IF;
    RETURN a || b;
END
$$;

CREATE OR REPLACE FUNCTION jet_plus_text(a text, b double precision) RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
    IF jet_is_stored_date(a) THEN
        RETURN jet_storage_text(jet_add_days(jet_date(a), b));
    END IF;
    RETURN jet_number_text(jet_add_real(jet_number(a), b));
END
$$;

CREATE OR REPLACE FUNCTION jet_plus_text(a double precision, b text) RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
    IF jet_is_stored_date(b) THEN
        RETURN jet_storage_text(jet_add_days(jet_date(b), a));
    END IF;
    RETURN jet_number_text(jet_add_real(a, jet_number(b)));
END
$$;

CREATE OR REPLACE FUNCTION jet_minus_text(a text, b text) RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
    IF jet_is_stored_date(a) AND jet_is_stored_date(b) THEN
        RETURN jet_number_text(jet_date_difference(jet_date(a), jet_date(b)));
    ELSIF jet_is_stored_date(a) THEN
        RETURN jet_storage_text(jet_add_days(jet_date(a), -jet_number(b)));
    END IF;
    RETURN jet_number_text(jet_add_real(jet_number(a), -jet_number(b)));
END
$$;

CREATE OR REPLACE FUNCTION jet_minus_text(a text, b double precision) RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
    IF jet_is_stored_date(a) THEN
        RETURN jet_storage_text(jet_add_days(jet_date(a), -b));
    END IF;
    RETURN jet_number_text(jet_add_real(jet_number(a), -b));
END
$$;

CREATE OR REPLACE FUNCTION jet_minus_text(a double precision, b text) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN jet_number_text(jet_add_real(a, -jet_number(b)));

-- ---------------------------------------------------------------------------------------
-- Dates

CREATE OR REPLACE FUNCTION jet_dateadd(interval_name text, count bigint, v timestamp) RETURNS timestamp
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    moved timestamp;
BEGIN
    -- beyond these counts every result lies outside Jet's years anyway
    IF abs(count) > (CASE WHEN interval_name IN ('yyyy', 'q', 'm') THEN 1000000 ELSE 1000000000000 END) THEN
        PERFORM jet_error('invalid');
    END IF;
    moved := CASE interval_name
             WHEN 'yyyy' THEN jet_add_months(v, count * 12)
             WHEN 'q' THEN jet_add_months(v, count * 3)
             WHEN 'm' THEN jet_add_months(v, count)
             WHEN 'ww' THEN jet_date_at(jet_days(v) + count * 7, jet_seconds(v))
             WHEN 'h' THEN jet_from_linear(jet_linear(v) + count * 3600)
             WHEN 'n' THEN jet_from_linear(jet_linear(v) + count * 60)
             WHEN 's' THEN jet_from_linear(jet_linear(v) + count)
             ELSE jet_date_at(jet_days(v) + count, jet_seconds(v)) END;
    IF moved IS NULL THEN
        PERFORM jet_error('invalid');
    END IF;
    RETURN moved;
END
$$;

-- DateDiff counts the interval boundaries crossed between two dates.
CREATE OR REPLACE FUNCTION jet_datediff(interval_name text, a timestamp, b timestamp, first_day integer) RETURNS bigint
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    months_a bigint := date_part('year', a)::bigint * 12 + date_part('month', a)::bigint - 1;
    months_b bigint := date_part('year', b)::bigint * 12 + date_part('month', b)::bigint - 1;
BEGIN
    RETURN CASE interval_name
           WHEN 'yyyy' THEN date_part('year', b)::bigint - date_part('year', a)::bigint
           WHEN 'q' THEN months_b / 3 - months_a / 3
           WHEN 'm' THEN months_b - months_a
           WHEN 'w' THEN (jet_days(b) - jet_days(a)) / 7
           WHEN 'ww' THEN (jet_week_start(b, first_day) - jet_week_start(a, first_day)) / 7
           WHEN 'h' THEN jet_linear(b) / 3600 - jet_linear(a) / 3600
           WHEN 'n' THEN jet_linear(b) / 60 - jet_linear(a) / 60
           WHEN 's' THEN jet_linear(b) - jet_linear(a)
           ELSE jet_days(b) - jet_days(a) END;
END
$$;

-- Week 1 is the one holding January 1 (the only rule known for the week of the year).
CREATE OR REPLACE FUNCTION jet_datepart(interval_name text, v timestamp, first_day integer) RETURNS bigint
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
    RETURN CASE interval_name
           WHEN 'yyyy' THEN date_part('year', v)::bigint
           WHEN 'q' THEN (date_part('month', v)::bigint - 1) / 3 + 1
           WHEN 'm' THEN date_part('month', v)::bigint
           WHEN 'y' THEN date_part('doy', v)::bigint
           WHEN 'd' THEN date_part('day', v)::bigint
           WHEN 'w' THEN jet_weekday(v, first_day)
           WHEN 'ww' THEN (jet_week_start(v, first_day)
                           - jet_week_start(date_trunc('year', v), first_day)) / 7 + 1
           WHEN 'h' THEN date_part('hour', v)::bigint
           WHEN 'n' THEN date_part('minute', v)::bigint
           ELSE date_part('second', v)::bigint END;
END
$$;

-- The week rule is only checked (by its reading): week 1 always holds January 1. PL/pgSQL, so
-- that the unused rule is still read where the call is inlined.
CREATE OR REPLACE FUNCTION jet_datepart(interval_name text, v timestamp, first_day integer, week_rule bigint)
RETURNS bigint
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
    RETURN jet_datepart(interval_name, v, first_day);
END
$$;

-- DateSerial carries months and days over: month 13 is January of the next year, day 0 the
-- last day of the month before; years 0..29 are 2000..2029, 30..99 1930..1999.
CREATE OR REPLACE FUNCTION jet_dateserial(year bigint, month bigint, day bigint) RETURNS timestamp
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    total bigint;
    whole_years bigint;
    made timestamp;
BEGIN
    IF year >= 0 AND year < 100 THEN
        year := year + CASE WHEN year < 30 THEN 2000 ELSE 1900 END;
    END IF;
    IF year < 100 OR year > 9999 OR abs(month) > 120000 OR abs(day) > 4000000 THEN
        PERFORM jet_error('invalid');
    END IF;
    total := year * 12 + month - 1;
    whole_years := CASE WHEN total >= 0 THEN total / 12 ELSE -((-total + 11) / 12) END;
    made := jet_date_at(jet_civil_days(whole_years, (total - whole_years * 12 + 1)::integer, 1) + day - 1, 0);
    IF made IS NULL THEN
        PERFORM jet_error('invalid');
    END IF;
    RETURN made;
END
$$;

CREATE OR REPLACE FUNCTION jet_time_value(v timestamp) RETURNS timestamp
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN timestamp '1899-12-30' + (v - date_trunc('day', v));

-- ---------------------------------------------------------------------------------------
-- Format

CREATE OR REPLACE FUNCTION jet_named_date_format(folded text) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN CASE folded
       WHEN 'long date' THEN 'dddd, mmmm d, yyyy'
       WHEN 'medium date' THEN 'dd-mmm-yy'
       WHEN 'short date' THEN 'm/d/yyyy'
       WHEN 'long time' THEN 'h:nn:ss AM/PM'
       WHEN 'medium time' THEN 'hh:nn AM/PM'
       WHEN 'short time' THEN 'hh:nn' END;

CREATE OR REPLACE FUNCTION jet_named_number_format(folded text) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN CASE folded
       WHEN 'currency' THEN '$#,##0.00;($#,##0.00)'
       WHEN 'fixed' THEN '0.00'
       WHEN 'standard' THEN '#,##0.00'
       WHEN 'percent' THEN '0.00%'
       WHEN 'scientific' THEN '0.00E+00' END;

-- Whether a number given to Format with this pattern is shown as a date.
CREATE OR REPLACE FUNCTION jet_is_date_format(format text) RETURNS boolean
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    folded text := jet_fold(format);
    c text[];
    i integer := 1;
    n integer;
    quoted boolean := false;
    date_token boolean := false;
BEGIN
    IF jet_named_date_format(folded) IS NOT NULL OR folded = 'general date' THEN
        RETURN true;
    ELSIF jet_named_number_format(folded) IS NOT NULL
          OR folded IN ('general number', 'yes/no', 'true/false', 'on/off') THEN
        RETURN false;
    END IF;
    c := string_to_array(format, NULL);
    n := coalesce(cardinality(c), 0);
    WHILE i <= n LOOP
        IF c[i] = '"' THEN
            quoted := NOT quoted;
        ELSIF quoted THEN
            NULL;
        ELSIF c[i] = E'\\' THEN
            i := i + 1;
        ELSIF c[i] IN ('0', '#') THEN
            RETURN false;
        ELSIF strpos('dwmqyhnsct', lower(c[i] COLLATE "C")) > 0 THEN
            date_token := true;
        END IF;
        i := i + 1;
    END LOOP;
    RETURN date_token;
END
$$;

-- Format compiles its pattern into a plan once, while the statement is planned when the pattern
-- is a constant, and applies the plan to every value:
--   {'', pattern}                   no pattern: the value as text
--   {'date', pattern, step...}      a date pattern (jet_date_steps)
--   {'number', pattern, step...}    a number pattern (jet_number_steps)
-- Compiling takes one pass over the pattern, so its time grows with the pattern's length only.

-- A literal for a to_char pattern.
CREATE OR REPLACE FUNCTION jet_to_char_literal(t text) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN '"' || replace(replace(t, E'\\', E'\\\\'), '"', E'\\"') || '"';

-- The steps of a date pattern: the named formats or d dd ddd dddd ddddd dddddd w ww m mm mmm
-- mmmm q y yy yyyy h hh n nn s ss ttttt c, AM/PM am/pm A/P a/p AMPM, "text" and \x, in US
-- English. A step 'P<pattern>' shows to_char(value, pattern), 'W' the week of the year (week 1
-- holds January 1, weeks start on Sunday), 'a<text>' and 'p<text>' show text before and after
-- noon, 'C' the general date.
CREATE OR REPLACE FUNCTION jet_date_steps(format text) RETURNS text[]
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    folded text := jet_fold(format);
    pattern text := coalesce(jet_named_date_format(folded), format);
    upper_pattern text := upper(pattern COLLATE "C");
    c text[] := string_to_array(pattern, NULL);
    n integer := coalesce(cardinality(c), 0);
    twelve_hour boolean := strpos(upper_pattern, 'AM/PM') > 0 OR strpos(upper_pattern, 'A/P') > 0
                           OR strpos(upper_pattern, 'AMPM') > 0;
    steps text[] := '{}';
    fields text[] := '{}'; -- to_char pieces of the step being made
    literal text[] := '{}'; -- characters shown as they are, not yet in fields
    field text;
    step text[];
    pos integer := 1;
    after_hour boolean := false; -- an m right after an hour is a minute
    hour_token boolean;
    letter text;
    longest integer;
    run integer;
    used integer;
    marker text;
BEGIN
    IF folded = 'general date' THEN
        RETURN ARRAY['C'];
    END IF;
    WHILE pos <= n + 1 LOOP
        field := NULL;
        step := NULL;
        IF pos > n THEN
            -- the end: what is left makes the last step
            pos := pos + 1;
        ELSIF c[pos] = '"' THEN
            pos := pos + 1;
            WHILE pos <= n AND c[pos] <> '"' LOOP
                literal := array_append(literal, c[pos]);
                pos := pos + 1;
            END LOOP;
            pos := least(pos + 1, n + 1); -- an unclosed quote runs to the end
            CONTINUE;
        ELSIF c[pos] = E'\\' THEN
            literal := array_append(literal, coalesce(c[pos + 1], ''));
            pos := least(pos + 2, n + 1);
            CONTINUE;
        ELSE
            -- the case of an AM/PM marker as written is the case of what it shows
            marker := CASE WHEN c[pos] IN ('a', 'A')
                           THEN concat(c[pos], c[pos + 1], c[pos + 2], c[pos + 3], c[pos + 4]) END;
            IF upper(marker COLLATE "C") = 'AM/PM' THEN
                IF marker IN ('AM/PM', 'am/pm') THEN
                    field := left(marker, 2);
                ELSE
                    step := ARRAY['a' || left(marker, 2), 'p' || right(marker, 2)];
                END IF;
                used := 5;
            ELSIF upper(left(marker, 3) COLLATE "C") = 'A/P' THEN
                step := ARRAY['a' || left(marker, 1), 'p' || substr(marker, 3, 1)];
                used := 3;
            ELSIF upper(left(marker, 4) COLLATE "C") = 'AMPM' THEN
                field := 'AM';
                used := 4;
            END IF;
            IF field IS NULL AND step IS NULL THEN
                letter := lower(c[pos] COLLATE "C");
                -- a run of one letter: no token takes more than six, other characters go whole
                longest := CASE letter WHEN 'd' THEN 6 WHEN 'm' THEN 4 WHEN 'y' THEN 4 WHEN 't' THEN 5
                                       WHEN 'c' THEN 1 WHEN 'q' THEN 1 WHEN 'w' THEN 2 WHEN 'h' THEN 2
                                       WHEN 'n' THEN 2 WHEN 's' THEN 2 ELSE n END;
                run := 1;
                WHILE run < longest AND pos + run <= n AND lower(c[pos + run] COLLATE "C") = letter LOOP
                    run := run + 1;
                END LOOP;
                used := least(run, 2);
                hour_token := false;
                CASE letter
                WHEN 'c' THEN
                    step := ARRAY['C'];
                WHEN 'd' THEN
                    used := run;
                    IF used = 5 THEN
                        step := jet_date_steps('m/d/yyyy');
                    ELSIF used = 6 THEN
                        step := jet_date_steps('dddd, mmmm d, yyyy');
                    ELSE
                        field := (ARRAY['FMDD', 'DD', 'Dy', 'FMDay'])[used];
                    END IF;
                WHEN 'w' THEN
                    IF used = 1 THEN
                        field := 'D';
                    ELSE
                        step := ARRAY['W'];
                    END IF;
                WHEN 'm' THEN
                    IF after_hour THEN
                        field := (ARRAY['FMMI', 'MI'])[used];
                    ELSE
                        used := run;
                        field := (ARRAY['FMMM', 'MM', 'Mon', 'FMMonth'])[used];
                    END IF;
                WHEN 'q' THEN
                    field := 'Q';
                WHEN 'y' THEN
                    used := run;
                    field := (ARRAY['FMDDD', 'YY', 'YYFMDDD', 'YYYY'])[used];
                WHEN 'h' THEN
                    field := (ARRAY['FMHH', 'HH'])[used] || CASE WHEN twelve_hour THEN '12' ELSE '24' END;
                    hour_token := true;
                WHEN 'n' THEN
                    field := (ARRAY['FMMI', 'MI'])[used];
                WHEN 's' THEN
                    field := (ARRAY['FMSS', 'SS'])[used];
                ELSE
                    IF letter = 't' AND run = 5 THEN
                        step := jet_date_steps('h:nn:ss AM/PM');
                        used := 5;
                    ELSE
                        -- separators and other literals leave the hour context alone
                        FOR k IN 0 .. run - 1 LOOP
                            literal := array_append(literal, c[pos + k]);
                        END LOOP;
                        pos := pos + run;
                        CONTINUE;
                    END IF;
                END CASE;
                after_hour := hour_token;
            END IF;
            pos := pos + used;
        END IF;
        IF cardinality(literal) > 0 THEN
            fields := array_append(fields, jet_to_char_literal(array_to_string(literal, '')));
            literal := '{}';
        END IF;
        IF field IS NOT NULL THEN
            fields := array_append(fields, field);
        ELSE
            -- a step of its own (or the end) closes the to_char step being made
            IF cardinality(fields) > 0 THEN
                steps := array_append(steps, 'P' || array_to_string(fields, ''));
                fields := '{}';
            END IF;
            steps := steps || step;
        END IF;
    END LOOP;
    RETURN steps;
END
$$;

-- A date shown by the steps of a plan from its element first on.
CREATE OR REPLACE FUNCTION jet_format_date(v timestamp, plan text[], first integer) RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    afternoon boolean := v::time >= time '12:00';
    parts text[] := '{}';
BEGIN
    FOR i IN first .. coalesce(cardinality(plan), 0) LOOP
        CASE left(plan[i], 1)
        WHEN 'P' THEN
            parts := array_append(parts, to_char(v, substr(plan[i], 2)));
        WHEN 'a' THEN
            IF NOT afternoon THEN
                parts := array_append(parts, substr(plan[i], 2));
            END IF;
        WHEN 'p' THEN
            IF afternoon THEN
                parts := array_append(parts, substr(plan[i], 2));
            END IF;
        WHEN 'W' THEN
            parts := array_append(parts, ((date_part('doy', v)::integer - 1
                                           + date_part('dow', date_trunc('year', v))::integer) / 7 + 1)::text);
        ELSE
            -- the general date: a time alone on day 0, a date alone at midnight (the steps of
            -- Long Time and Short Date)
            parts := array_append(parts, CASE WHEN v::date = date '1899-12-30' THEN to_char(v, 'FMHH12":"MI":"SS" "AM')
                                              WHEN v = v::date THEN to_char(v, 'FMMM"/"FMDD"/"YYYY')
                                              ELSE to_char(v, 'FMMM"/"FMDD"/"YYYY" "FMHH12":"MI":"SS" "AM') END);
        END CASE;
    END LOOP;
    RETURN array_to_string(parts, '');
END
$$;

-- The sections of a number pattern: positive; negative; zero (";" within quotes or after a
-- backslash is no separator).
CREATE OR REPLACE FUNCTION jet_format_sections(format text) RETURNS text[]
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    c text[] := string_to_array(format, NULL);
    n integer := coalesce(cardinality(c), 0);
    sections text[] := '{}';
    section text[] := '{}';
    quoted boolean := false;
    i integer := 1;
BEGIN
    WHILE i <= n LOOP
        IF c[i] = '"' THEN
            quoted := NOT quoted;
        END IF;
        IF c[i] = ';' AND NOT quoted THEN
            sections := array_append(sections, array_to_string(section, ''));
            section := '{}';
        ELSE
            section := array_append(section, c[i]);
            IF c[i] = E'\\' AND NOT quoted AND i < n THEN
                i := i + 1;
                section := array_append(section, c[i]);
            END IF;
        END IF;
        i := i + 1;
    END LOOP;
    RETURN array_append(sections, array_to_string(section, ''));
END
$$;

-- The steps of one section of a number pattern (0 # . , % E+ E- and literals):
--   {kind, header, prefix, suffix} for literals around digits, point and decimals alone (kind
--   'F', or 'E' for an empty section), or
--   {'G', header, count, element...} for anything else, each element its kind (l literal,
--   d digit, p point, g group, e exponent) and its text.
-- The header: scale (powers of ten from % signs, thousands from trailing commas), grouping,
-- whole placeholders and the zeros among them, decimal placeholders and their zeros, exponent
-- zeros, whether there is an exponent, whether a point.
CREATE OR REPLACE FUNCTION jet_section_steps(section text) RETURNS text[]
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    c text[] := string_to_array(section, NULL);
    n integer := coalesce(cardinality(c), 0);
    elements text[] := '{}';
    literal text[];
    scale integer := 0;
    grouped boolean := false;
    after_point boolean := false;
    digit_follows boolean := false;
    i integer := 1;
    whole_count integer := 0;
    required_whole integer := 0;
    fraction_count integer := 0;
    required_fraction integer := 0;
    exponent_digits integer := 0;
    in_fraction boolean := false;
    in_exponent boolean := false;
    first_placeholder integer;
    last_placeholder integer;
    header text;
BEGIN
    WHILE i <= n LOOP
        IF c[i] = '"' THEN
            literal := '{}';
            i := i + 1;
            WHILE i <= n AND c[i] <> '"' LOOP
                literal := array_append(literal, c[i]);
                i := i + 1;
            END LOOP;
            elements := array_append(elements, 'l' || array_to_string(literal, ''));
        ELSIF c[i] = E'\\' THEN
            elements := array_append(elements, 'l' || coalesce(c[i + 1], ''));
            i := i + 1;
        ELSIF c[i] IN ('0', '#') THEN
            elements := array_append(elements, 'd' || c[i]);
        ELSIF c[i] = '.' AND NOT after_point THEN
            after_point := true;
            elements := array_append(elements, 'p.');
        ELSIF c[i] = ',' AND NOT after_point THEN
            elements := array_append(elements, 'g,');
        ELSIF c[i] IN ('E', 'e') AND c[i + 1] IN ('+', '-') THEN
            elements := array_append(elements, 'e' || c[i] || c[i + 1]);
            i := i + 1;
        ELSE
            IF c[i] = '%' THEN
                scale := scale + 2;
            END IF;
            elements := array_append(elements, 'l' || c[i]);
        END IF;
        i := i + 1;
    END LOOP;
    -- a comma with digits after it (before the point) groups thousands; one without divides
    -- by a thousand
    FOR j IN REVERSE coalesce(cardinality(elements), 0) .. 1 LOOP
        CASE left(elements[j], 1)
        WHEN 'p', 'e' THEN
            digit_follows := false;
        WHEN 'd' THEN
            digit_follows := true;
        WHEN 'g' THEN
            IF digit_follows THEN
                grouped := true;
            ELSE
                scale := scale - 3;
            END IF;
        ELSE
            NULL;
        END CASE;
    END LOOP;
    FOR j IN 1 .. coalesce(cardinality(elements), 0) LOOP
        IF left(elements[j], 1) <> 'l' THEN
            first_placeholder := coalesce(first_placeholder, j);
            last_placeholder := j;
        END IF;
        CASE left(elements[j], 1)
        WHEN 'p' THEN
            in_fraction := true;
        WHEN 'e' THEN
            in_exponent := true;
        WHEN 'd' THEN
            IF in_exponent THEN
                exponent_digits := exponent_digits + CASE WHEN elements[j] = 'd0' THEN 1 ELSE 0 END;
            ELSIF in_fraction THEN
                fraction_count := fraction_count + 1;
                required_fraction := required_fraction + CASE WHEN elements[j] = 'd0' THEN 1 ELSE 0 END;
            ELSE
                whole_count := whole_count + 1;
                required_whole := required_whole + CASE WHEN elements[j] = 'd0' THEN 1 ELSE 0 END;
            END IF;
        ELSE
            NULL;
        END CASE;
    END LOOP;
    header := concat_ws(',', scale, grouped::integer, whole_count, required_whole, fraction_count, required_fraction,
                        exponent_digits, in_exponent::integer, after_point::integer);
    IF in_exponent OR EXISTS (SELECT FROM unnest(elements[first_placeholder:last_placeholder]) AS e WHERE left(e, 1) = 'l') THEN
        RETURN ARRAY['G', header, cardinality(elements)::text] || elements;
    END IF;
    RETURN ARRAY[CASE WHEN n = 0 THEN 'E' ELSE 'F' END, header,
                 (SELECT coalesce(string_agg(substr(e, 2), '' ORDER BY o), '')
                  FROM unnest(elements) WITH ORDINALITY AS u(e, o) WHERE o < coalesce(first_placeholder, n + 1)),
                 (SELECT coalesce(string_agg(substr(e, 2), '' ORDER BY o), '')
                  FROM unnest(elements) WITH ORDINALITY AS u(e, o) WHERE o > coalesce(last_placeholder, n + 1))];
END
$$;

-- A non-negative value shown by the section whose steps start at element first of a plan;
-- zero tells whether the rounded value shows as zero (and takes no sign).
CREATE OR REPLACE FUNCTION jet_format_section(v double precision, plan text[], first integer,
                                              OUT shown text, OUT zero boolean)
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    header integer[] := string_to_array(plan[first + 1], ',')::integer[];
    grouped boolean := header[2] = 1;
    whole_count integer := header[3];
    fraction_count integer := header[5];
    scaled double precision := v * power(10::double precision, header[1]);
    exponent integer := 0;
    digits text[];
    whole text;
    whole_chars text[];
    fraction_chars text[];
    slots text[];
    parts text[] := '{}';
    in_fraction boolean := false;
    in_exponent boolean := false;
    next_whole integer := 1;
    next_fraction integer := 1;
    k integer;
    element text;
BEGIN
    IF header[8] = 1 AND scaled <> 0 THEN
        exponent := floor(log(scaled))::integer - greatest(whole_count, 1) + 1;
        scaled := scaled / power(10::double precision, exponent);
        IF length((jet_decimal_digits(scaled, fraction_count, false))[1]) > greatest(whole_count, 1) THEN
            exponent := exponent + 1;
            scaled := scaled / 10;
        END IF;
    END IF;
    digits := jet_decimal_digits(scaled, fraction_count, false);
    -- optional decimals (#) drop their trailing zeros
    digits[2] := left(digits[2], greatest(header[6], length(rtrim(digits[2], '0'))));
    zero := digits[1] = '' AND rtrim(digits[2], '0') = '';
    -- whole digits fill the placeholders from the right; the leftmost takes any surplus, and
    -- with grouping all of them
    whole := lpad(digits[1], greatest(header[4], length(digits[1])), '0');
    IF grouped THEN
        -- from the right, so that the expression looks one character ahead only
        whole := reverse(regexp_replace(reverse(whole), '([0-9]{3})(?=[0-9])', E'\\1,', 'g'));
    END IF;
    IF plan[first] <> 'G' THEN
        shown := plan[first + 2]
                 || CASE WHEN whole_count > 0 THEN whole WHEN header[9] = 1 THEN digits[1] ELSE '' END
                 || CASE WHEN header[9] = 1 THEN '.' || digits[2] ELSE '' END
                 || plan[first + 3];
        RETURN;
    END IF;
    slots := array_fill(''::text, ARRAY[whole_count]);
    IF whole_count > 0 THEN
        IF grouped THEN
            slots[1] := whole;
        ELSE
            whole_chars := string_to_array(whole, NULL);
            k := coalesce(cardinality(whole_chars), 0);
            FOR slot IN REVERSE whole_count .. 2 LOOP
                IF k >= 1 THEN
                    slots[slot] := whole_chars[k];
                    k := k - 1;
                END IF;
            END LOOP;
            slots[1] := left(whole, k);
        END IF;
    END IF;
    fraction_chars := string_to_array(digits[2], NULL);
    FOR j IN first + 3 .. first + 2 + plan[first + 2]::integer LOOP
        element := substr(plan[j], 2);
        CASE left(plan[j], 1)
        WHEN 'l' THEN
            parts := array_append(parts, element);
        WHEN 'g' THEN
            NULL;
        WHEN 'p' THEN
            -- with no placeholder before the point the whole digits still show
            IF whole_count = 0 THEN
                parts := array_append(parts, digits[1]);
            END IF;
            in_fraction := true;
            parts := array_append(parts, '.');
        WHEN 'e' THEN
            in_exponent := true;
            parts := array_append(parts, left(element, 1)
                                     || CASE WHEN exponent < 0 THEN '-' WHEN right(element, 1) = '+' THEN '+' ELSE '' END
                                     || jet_padded(abs(exponent), header[7]));
        ELSE
            IF in_exponent THEN
                NULL;
            ELSIF in_fraction THEN
                IF next_fraction <= coalesce(cardinality(fraction_chars), 0) THEN
                    parts := array_append(parts, fraction_chars[next_fraction]);
                    next_fraction := next_fraction + 1;
                END IF;
            ELSE
                parts := array_append(parts, slots[next_whole]);
                next_whole := next_whole + 1;
            END IF;
        END CASE;
    END LOOP;
    shown := array_to_string(parts, '');
END
$$;

-- The steps of a number pattern: {named} for General Number, Yes/No, True/False and On/Off;
-- else {'sections', count, the steps of each section}, up to three of them (positive;
-- negative; zero) counting.
CREATE OR REPLACE FUNCTION jet_number_steps(format text) RETURNS text[]
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    folded text := jet_fold(format);
    sections text[];
    steps text[];
BEGIN
    IF folded IN ('general number', 'yes/no', 'true/false', 'on/off') THEN
        RETURN ARRAY[folded];
    END IF;
    sections := jet_format_sections(coalesce(jet_named_number_format(folded), format));
    steps := ARRAY['sections', least(cardinality(sections), 3)::text];
    FOR i IN 1 .. least(cardinality(sections), 3) LOOP
        steps := steps || jet_section_steps(sections[i]);
    END LOOP;
    RETURN steps;
END
$$;

-- A number shown by the steps of a plan from its element first on.
CREATE OR REPLACE FUNCTION jet_format_number(v double precision, plan text[], first integer) RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    starts integer[] := '{}';
    at integer := first + 2;
    formatted record;
BEGIN
    CASE plan[first]
    WHEN 'general number' THEN
        RETURN jet_number_text(v);
    WHEN 'yes/no' THEN
        RETURN CASE WHEN v <> 0 THEN 'Yes' ELSE 'No' END;
    WHEN 'true/false' THEN
        RETURN CASE WHEN v <> 0 THEN 'True' ELSE 'False' END;
    WHEN 'on/off' THEN
        RETURN CASE WHEN v <> 0 THEN 'On' ELSE 'Off' END;
    ELSE
        FOR i IN 1 .. plan[first + 1]::integer LOOP
            starts := array_append(starts, at);
            at := at + CASE WHEN plan[at] = 'G' THEN 3 + plan[at + 2]::integer ELSE 4 END;
        END LOOP;
    END CASE;
    IF v < 0 AND cardinality(starts) >= 2 AND plan[starts[2]] <> 'E' THEN
        RETURN (jet_format_section(-v, plan, starts[2])).shown;
    ELSIF v = 0 AND cardinality(starts) >= 3 AND plan[starts[3]] <> 'E' THEN
        RETURN (jet_format_section(0, plan, starts[3])).shown;
    END IF;
    formatted := jet_format_section(abs(v), plan, starts[1]);
    RETURN CASE WHEN v < 0 AND NOT formatted.zero THEN '-' ELSE '' END || formatted.shown;
END
$$;

CREATE OR REPLACE FUNCTION jet_format_plan(format text) RETURNS text[]
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
    IF format = '' THEN
        RETURN ARRAY['', format];
    ELSIF jet_is_date_format(format) THEN
        RETURN ARRAY['date', format] || jet_date_steps(format);
    END IF;
    RETURN ARRAY['number', format] || jet_number_steps(format);
END
$$;

-- Format(value, pattern) by the kind of the value: a date shows as a date, or as its serial
-- number under a number pattern; a text holding a date or a number shows as that; any other
-- text as it is (> in capitals, < in small letters).
CREATE OR REPLACE FUNCTION jet_format(v text, plan text[]) RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    d timestamp;
    n double precision;
BEGIN
    IF plan[1] = '' THEN
        RETURN v;
    END IF;
    d := jet_parse_date(v);
    IF d IS NOT NULL THEN
        RETURN CASE plan[1] WHEN 'date' THEN jet_format_date(d, plan, 3)
                            ELSE jet_format_number(jet_serial(d), plan, 3) END;
    END IF;
    n := jet_real_or_null(v);
    IF n IS NOT NULL AND plan[1] = 'number' THEN
        RETURN jet_format_number(n, plan, 3);
    END IF;
    RETURN CASE plan[2] WHEN '>' THEN jet_upper(v) WHEN '<' THEN jet_lower(v) ELSE v END;
END
$$;

CREATE OR REPLACE FUNCTION jet_format(v double precision, plan text[]) RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
    CASE plan[1]
    WHEN '' THEN
        RETURN jet_number_text(v);
    WHEN 'date' THEN
        RETURN jet_format_date(jet_date(v), plan, 3);
    ELSE
        RETURN jet_format_number(v, plan, 3);
    END CASE;
END
$$;

CREATE OR REPLACE FUNCTION jet_format(v bigint, plan text[]) RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
BEGIN
    IF plan[1] = '' THEN
        RETURN v::text;
    END IF;
    RETURN jet_format(v::double precision, plan);
END
$$;

CREATE OR REPLACE FUNCTION jet_format(v timestamp, plan text[]) RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    d timestamp := jet_checked_date(v);
BEGIN
    IF plan[1] = '' OR d IS NULL THEN
        RETURN jet_format(jet_storage_text(v), plan);
    ELSIF plan[1] = 'date' THEN
        RETURN jet_format_date(d, plan, 3);
    END IF;
    RETURN jet_format_number(jet_serial(d), plan, 3);
END
$$;

-- ---------------------------------------------------------------------------------------
-- Like

-- A LIKE pattern as an anchored regular expression on folded text: * any run, ? one
-- character, # one digit, [abc] [a-c] one of a list, [!a-c] one not in it; "[]" stands for
-- nothing. An unclosed "[" is an invalid pattern.
CREATE OR REPLACE FUNCTION jet_like_regex(pattern text) RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
    c text[] := string_to_array(jet_fold(pattern), NULL);
    n integer := coalesce(cardinality(c), 0);
    parts text[] := ARRAY['^(?:'];
    items text[];
    i integer := 1;
    k integer;
    closing integer;
    negated boolean;
BEGIN
    WHILE i <= n LOOP
        CASE c[i]
        WHEN '*' THEN
            parts := array_append(parts, '.*');
        WHEN '?' THEN
            parts := array_append(parts, '.');
        WHEN '#' THEN
            parts := array_append(parts, '[0-9]');
        WHEN '[' THEN
            closing := i + 1;
            WHILE closing <= n AND c[closing] <> ']' LOOP
                closing := closing + 1;
            END LOOP;
            IF closing > n THEN
                PERFORM jet_error('pattern');
            END IF;
            IF closing > i + 1 THEN
                negated := closing > i + 2 AND c[i + 1] = '!';
                k := i + 1 + CASE WHEN negated THEN 1 ELSE 0 END;
                items := '{}';
                WHILE k < closing LOOP
                    IF k + 2 < closing AND c[k + 1] = '-' THEN
                        -- a range from high to low holds nothing
                        IF ascii(c[k]) <= ascii(c[k + 2]) THEN
                            items := array_append(items, jet_regex_char(c[k]) || '-' || jet_regex_char(c[k + 2]));
                        END IF;
                        k := k + 3;
                    ELSE
                        items := array_append(items, jet_regex_char(c[k]));
                        k := k + 1;
                    END IF;
                END LOOP;
                parts := array_append(parts, CASE WHEN cardinality(items) > 0
                                                   THEN '[' || CASE WHEN negated THEN '^' ELSE '' END
                                                        || array_to_string(items, '') || ']'
                                              WHEN negated THEN '.'
                                              ELSE E'[^\\x01-\\U0010ffff]' END);
            END IF;
            i := closing;
        ELSE
            parts := array_append(parts, jet_regex_char(c[i]));
        END CASE;
        i := i + 1;
    END LOOP;
    RETURN array_to_string(array_append(parts, ')$'), '');
END
$$;

-- ---------------------------------------------------------------------------------------
-- The public functions

-- Now, Date and Time: the client's statement's time in the session's TimeZone, to the second.
CREATE OR REPLACE FUNCTION jetnow() RETURNS timestamp
LANGUAGE sql STABLE PARALLEL SAFE
RETURN date_trunc('second', statement_timestamp()::timestamp);

CREATE OR REPLACE FUNCTION jetdate() RETURNS timestamp
LANGUAGE sql STABLE PARALLEL SAFE
RETURN date_trunc('day', statement_timestamp()::timestamp);

CREATE OR REPLACE FUNCTION jettime() RETURNS timestamp
LANGUAGE sql STABLE PARALLEL SAFE
RETURN jet_time_value(date_trunc('second', statement_timestamp()::timestamp));

-- The high spelling of a stored midnight, for comparisons with the text forms of cv.mdb;
-- other values as they are.
CREATE OR REPLACE FUNCTION jetdatehigh(text) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN CASE WHEN $1 ~ '^[0-9]{4}-[0-9]{2}-[0-9]{2}$' THEN $1 || ' 00:00:00' ELSE $1 END;

CREATE OR REPLACE FUNCTION jetdatehigh(bigint) RETURNS bigint
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN $1;

CREATE OR REPLACE FUNCTION jetdatehigh(double precision) RETURNS double precision
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN $1;

CREATE OR REPLACE FUNCTION jetdatehigh(timestamp) RETURNS timestamp
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN $1;

-- Every other public function exists for each combination of argument types, each a one-line
-- SQL function that PostgreSQL inlines into the calling statement: it reads its arguments in
-- Jet's terms (%s below stands for the argument) and calls the helper. Arguments are read in
-- the order the SQLite functions read them, so the first error is theirs.
DO $generate$
DECLARE
    kinds constant text[] := ARRAY['text', 'bigint', 'double precision', 'timestamp'];
    text_ constant text := 'jet_text(%s)';
    number_ constant text := 'jet_number(%s)';
    whole_ constant text := 'jet_whole(%s)';
    date_ constant text := 'jet_date(%s)';
    interval_ constant text := 'jet_interval(jet_text(%s))';
    first_day_ constant text := 'jet_first_day(jet_whole(%s))';
    as_is_ constant text := '%s';
    f record;
    arity integer;
    combination integer;
    kind_of text[];
    body text;
    result text;
BEGIN
    FOR f IN
        SELECT * FROM (VALUES
            -- name, how each argument is read, the body over {1}..{4}, the result, whether NULL gives NULL
            ('jetleft', ARRAY[text_, whole_], 'jet_left({1}, {2})', 'text', true),
            ('jetright', ARRAY[text_, whole_], 'jet_right({1}, {2})', 'text', true),
            ('jetmid', ARRAY[text_, whole_], 'jet_mid({1}, {2})', 'text', true),
            ('jetmid', ARRAY[text_, whole_, whole_], 'jet_mid({1}, {2}, {3})', 'text', true),
            ('jetlen', ARRAY[text_], 'length({1})::bigint', 'bigint', true),
            ('jetucase', ARRAY[text_], 'jet_upper({1})', 'text', true),
            ('jetlcase', ARRAY[text_], 'jet_lower({1})', 'text', true),
            ('jetinstr', ARRAY[text_, text_], 'jet_instr(1, {1}, {2}, 1)', 'bigint', true),
            ('jetinstr', ARRAY[whole_, text_, text_], 'jet_instr({1}, {2}, {3}, 1)', 'bigint', true),
            ('jetinstr', ARRAY[whole_, text_, text_, whole_], 'jet_instr({1}, {2}, {3}, {4})', 'bigint', true),
            ('jetstr', ARRAY[number_], 'jet_str({1})', 'text', true),
            ('jetspace', ARRAY['jet_built_length(jet_whole(%s))'], 'repeat('' '', {1})', 'text', true),
            ('jetstring', ARRAY['jet_built_length(jet_whole(%s))', 'jet_fill_char(%s)'],
             'jet_string({1}, {2})', 'text', true),
            ('jetasc', ARRAY[text_], 'jet_asc({1})', 'bigint', true),
            ('jetchr', ARRAY[whole_], 'jet_chr({1})', 'text', true),
            ('jetval', ARRAY[as_is_], 'jet_val({1})', 'double precision', true),
            ('jetcint', ARRAY[whole_], 'jet_within({1}, -32768, 32767, ''overflow'')', 'bigint', true),
            ('jetclng', ARRAY[whole_], 'jet_within({1}, -2147483648, 2147483647, ''overflow'')', 'bigint', true),
            ('jetcdbl', ARRAY[number_], '{1}', 'double precision', true),
            ('jetcstr', ARRAY[text_], '{1}', 'text', true),
            ('jetcdate', ARRAY[date_], '{1}', 'timestamp', true),
            ('jetint', ARRAY[number_], 'floor({1})', 'double precision', true),
            ('jetfix', ARRAY[number_], 'trunc({1})', 'double precision', true),
            ('jetsgn', ARRAY[number_], 'sign({1})::bigint', 'bigint', true),
            ('jetsqr', ARRAY[number_], 'jet_sqr({1})', 'double precision', true),
            ('jetround', ARRAY[number_], 'jet_round(0, {1})', 'double precision', true),
            ('jetround', ARRAY[number_, 'jet_decimals(jet_whole(%s))'], 'jet_round({2}, {1})', 'double precision', true),
            ('jetconcat', ARRAY[text_, text_], 'jet_concat({1}, {2})', 'text', false),
            ('jetdiv', ARRAY[number_, 'jet_divisor(jet_number(%s))'], 'jet_div({2}, {1})', 'double precision', true),
            ('jetintdiv', ARRAY[whole_, 'jet_divisor(jet_whole(%s))'], 'jet_intdiv({2}, {1})', 'bigint', true),
            ('jetmod', ARRAY[whole_, 'jet_divisor(jet_whole(%s))'], 'jet_mod({2}, {1})', 'bigint', true),
            ('jetpower', ARRAY[number_, number_], 'jet_power({1}, {2})', 'double precision', true),
            ('jetyear', ARRAY[date_], 'date_part(''year'', {1})::bigint', 'bigint', true),
            ('jetmonth', ARRAY[date_], 'date_part(''month'', {1})::bigint', 'bigint', true),
            ('jetday', ARRAY[date_], 'date_part(''day'', {1})::bigint', 'bigint', true),
            ('jethour', ARRAY[date_], 'date_part(''hour'', {1})::bigint', 'bigint', true),
            ('jetminute', ARRAY[date_], 'date_part(''minute'', {1})::bigint', 'bigint', true),
            ('jetsecond', ARRAY[date_], 'date_part(''second'', {1})::bigint', 'bigint', true),
            ('jetweekday', ARRAY[date_], 'jet_weekday({1}, 1)', 'bigint', true),
            ('jetweekday', ARRAY[date_, first_day_], 'jet_weekday({1}, {2})', 'bigint', true),
            ('jetdateadd', ARRAY[interval_, whole_, date_], 'jet_dateadd({1}, {2}, {3})', 'timestamp', true),
            ('jetdatediff', ARRAY[interval_, date_, date_], 'jet_datediff({1}, {2}, {3}, 1)', 'bigint', true),
            -- the first day of the week is read only for weeks
            ('jetdatediff', ARRAY[interval_, date_, date_, first_day_],
             'CASE WHEN {1} = ''ww'' THEN jet_datediff(''ww'', {2}, {3}, {4}) ELSE jet_datediff({1}, {2}, {3}, 1) END',
             'bigint', true),
            ('jetdatepart', ARRAY[interval_, date_], 'jet_datepart({1}, {2}, 1)', 'bigint', true),
            ('jetdatepart', ARRAY[interval_, date_, first_day_], 'jet_datepart({1}, {2}, {3})', 'bigint', true),
            ('jetdatepart', ARRAY[interval_, date_, first_day_, 'jet_week_rule(jet_whole(%s))'],
             'jet_datepart({1}, {2}, {3}, {4})', 'bigint', true),
            ('jetdateserial', ARRAY[whole_, whole_, whole_], 'jet_dateserial({1}, {2}, {3})', 'timestamp', true),
            ('jetdatevalue', ARRAY[date_], 'date_trunc(''day'', {1})', 'timestamp', true),
            ('jettimevalue', ARRAY[date_], 'jet_time_value({1})', 'timestamp', true),
            ('jetformat', ARRAY[text_], '{1}', 'text', true),
            ('jetformat', ARRAY[as_is_, text_], 'jet_format({1}, jet_format_plan({2}))', 'text', true),
            ('jetlike', ARRAY[text_, text_], 'jet_fold({2}) ~ jet_like_regex({1})', 'boolean', true)
        ) AS spec(name, reading, body, result, null_gives_null)
    LOOP
        arity := cardinality(f.reading);
        FOR combination IN 0 .. (4 ^ arity)::integer - 1 LOOP
            body := f.body;
            kind_of := '{}';
            FOR i IN 1 .. arity LOOP
                kind_of := array_append(kind_of, kinds[combination / (4 ^ (i - 1))::integer % 4 + 1]);
                body := replace(body, '{' || i || '}', format(f.reading[i], '$' || i));
            END LOOP;
            EXECUTE format('CREATE OR REPLACE FUNCTION %I(%s) RETURNS %s LANGUAGE sql IMMUTABLE %s PARALLEL SAFE RETURN %s',
                           f.name, array_to_string(kind_of, ', '), f.result,
                           CASE WHEN f.null_gives_null THEN 'STRICT' ELSE 'CALLED ON NULL INPUT' END, body);
        END LOOP;
    END LOOP;

    -- + and -: the result's type follows the operands'. Numbers add as numbers (whole ones
    -- exactly), a date and a number make a date; with a text the outcome is a text.
    FOR combination IN 0 .. 15 LOOP
        kind_of := ARRAY[kinds[combination % 4 + 1], kinds[combination / 4 + 1]];
        FOR operation IN 1 .. 2 LOOP
            IF 'text' = ANY (kind_of) THEN
                result := 'text';
                body := format('jet_%s_text(%s, %s)', CASE operation WHEN 1 THEN 'plus' ELSE 'minus' END,
                               CASE kind_of[1] WHEN 'text' THEN '$1' WHEN 'timestamp' THEN 'jet_text($1)'
                                               ELSE '$1::double precision' END,
                               CASE kind_of[2] WHEN 'text' THEN '$2' WHEN 'timestamp' THEN 'jet_text($2)'
                                               ELSE '$2::double precision' END);
            ELSIF kind_of[1] = 'timestamp' AND kind_of[2] = 'timestamp' THEN
                result := 'double precision';
                body := CASE operation WHEN 1 THEN 'jet_add_real(jet_serial(jet_date($1)), jet_serial(jet_date($2)))'
                                       ELSE 'jet_date_difference(jet_date($1), jet_date($2))' END;
            ELSIF kind_of[1] = 'timestamp' THEN
                result := 'timestamp';
                body := CASE operation WHEN 1 THEN 'jet_add_days(jet_date($1), $2)'
                                       ELSE 'jet_add_days(jet_date($1), -$2::double precision)' END;
            ELSIF kind_of[2] = 'timestamp' THEN
                IF operation = 1 THEN
                    result := 'timestamp';
                    body := 'jet_add_days(jet_date($2), $1)';
                ELSE
                    result := 'double precision';
                    body := 'jet_add_real($1, -jet_serial(jet_date($2)))';
                END IF;
            ELSIF kind_of[1] = 'bigint' AND kind_of[2] = 'bigint' THEN
                result := 'numeric';
                body := CASE operation WHEN 1 THEN 'jet_add_whole($1, $2)' ELSE 'jet_subtract_whole($1, $2)' END;
            ELSE
                result := 'double precision';
                body := CASE operation WHEN 1 THEN 'jet_add_real($1, $2)' ELSE 'jet_add_real($1, -$2::double precision)' END;
            END IF;
            EXECUTE format('CREATE OR REPLACE FUNCTION %I(%s) RETURNS %s LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE RETURN %s',
                           CASE operation WHEN 1 THEN 'jetplus' ELSE 'jetminus' END,
                           array_to_string(kind_of, ', '), result, body);
        END LOOP;
    END LOOP;
END
$generate$;
