-- The accounting database of one account: the archives the component maintains, the tables
-- their lookups read, and the suite's own bookkeeping. Written in the SQL that both the
-- embedded SQLite database and a PostgreSQL server accept; identifiers are unquoted, so
-- PostgreSQL folds them to lower case and the data dictionary gives them back their case.
-- Bit columns are smallint 0/1; the data dictionary marks them as bit.

CREATE TABLE tarvo_meta (
    cKey varchar(40) NOT NULL PRIMARY KEY,
    cValue varchar(200)
);

CREATE TABLE aa_bank (
    cBankCode varchar(10) NOT NULL PRIMARY KEY,
    cBankName varchar(60) NOT NULL,
    bComdFixLen smallint NOT NULL DEFAULT 0 CHECK (bComdFixLen IN (0, 1)),
    iComAccNoLen smallint,
    bIndFixLen smallint NOT NULL DEFAULT 0 CHECK (bIndFixLen IN (0, 1)),
    iIndAccNoLen smallint,
    iIndAutoInputLen smallint,
    cIndUnitcode varchar(10),
    bSysData smallint NOT NULL DEFAULT 0 CHECK (bSysData IN (0, 1))
);

CREATE TABLE bank (
    cBCode varchar(10) NOT NULL PRIMARY KEY,
    cBAccount varchar(50) NOT NULL,
    cAccName varchar(60),
    dOpenAccDate date,
    cCurrencyName varchar(60) NOT NULL,
    bBflag smallint NOT NULL DEFAULT 0 CHECK (bBflag IN (0, 1)),
    bPwdMng smallint NOT NULL DEFAULT 0 CHECK (bPwdMng IN (0, 1)),
    cBName varchar(60) NOT NULL,
    cBankCode varchar(10) NOT NULL REFERENCES aa_bank (cBankCode),
    cProvinceName varchar(60),
    cCountyName varchar(60),
    cOpenAccAddr varchar(100),
    fCurBalance numeric(19, 4),
    cCode varchar(40),
    iAccProperty smallint,
    cCustomerNo varchar(30),
    cOrgNo varchar(30),
    cUnionBankNo varchar(30),
    iSignFlag smallint NOT NULL DEFAULT 0
);
CREATE INDEX ix_bank_cbankcode ON bank (cBankCode);
-- The account number as compared for duplicates: without the blanks and hyphens people type.
CREATE INDEX ix_bank_accno ON bank ((replace(replace(cBAccount, ' ', ''), '-', '')));

CREATE TABLE code (
    cCode varchar(40) NOT NULL PRIMARY KEY,
    ccode_name varchar(100) NOT NULL,
    igrade smallint NOT NULL,
    bEnd smallint NOT NULL CHECK (bEnd IN (0, 1)),
    cClass varchar(20),
    bProperty smallint CHECK (bProperty IN (0, 1))
);
CREATE INDEX ix_code_name ON code (ccode_name);

CREATE TABLE foreigncurrency (
    i_id integer NOT NULL PRIMARY KEY,
    cexch_code varchar(8) NOT NULL UNIQUE,
    cexch_name varchar(60) NOT NULL,
    cexch_name_en varchar(60),
    iNumCode smallint
);

CREATE TABLE hr_ct007 (
    ccodeId varchar(12) NOT NULL PRIMARY KEY,
    vdescription varchar(60) NOT NULL,
    cpCodeId varchar(12),
    ilevels smallint NOT NULL
);
CREATE INDEX ix_hr_ct007_parent ON hr_ct007 (cpCodeId);

CREATE TABLE AccInformation (
    cSysID varchar(4) NOT NULL,
    cID varchar(10) NOT NULL,
    cName varchar(60) NOT NULL,
    cCaption varchar(100),
    cValue varchar(100),
    PRIMARY KEY (cSysID, cID, cName)
);

CREATE TABLE Department (
    cDepCode varchar(12) NOT NULL PRIMARY KEY,
    cDepName varchar(60) NOT NULL,
    iDepGrade smallint,
    bDepEnd smallint NOT NULL DEFAULT 1 CHECK (bDepEnd IN (0, 1))
);

CREATE TABLE Person (
    cPersonCode varchar(20) NOT NULL PRIMARY KEY,
    cPersonName varchar(40) NOT NULL,
    cDepCode varchar(12) REFERENCES Department (cDepCode)
);

-- Every column of the tables above: its type as the save service and the record sets see it,
-- its size, whether it is the key or required, and its captions.
CREATE TABLE tarvo_datadict (
    cTable varchar(40) NOT NULL,
    cField varchar(40) NOT NULL,
    iOrder smallint NOT NULL,
    cType varchar(20) NOT NULL,
    iSize integer NOT NULL,
    iScale smallint NOT NULL DEFAULT 0,
    bKey smallint NOT NULL DEFAULT 0,
    bRequired smallint NOT NULL DEFAULT 0,
    cCaptionZh varchar(60),
    cCaptionEn varchar(60),
    PRIMARY KEY (cTable, cField)
);

-- On a server, cDbRole is the login role an operator works as: a session of that role may act
-- as this operator and no other. Empty for operators only the database's owner acts as.
CREATE TABLE tarvo_user (
    cUser_Id varchar(20) NOT NULL PRIMARY KEY,
    cUser_Name varchar(40) NOT NULL,
    cDbRole varchar(63)
);

-- Function and edit locks, one row per lock held. A function lock (iKind 1) is one user's:
-- cScope holds that user. The edit lock (iKind 2) is the whole archive's, whoever holds it: cScope
-- is empty, so the key lets one holder at a time in. dLease is UTC ISO text; a holder renews it.
CREATE TABLE tarvo_lock (
    cArchive varchar(40) NOT NULL,
    iKind smallint NOT NULL,
    cScope varchar(20) NOT NULL,
    cUserId varchar(20) NOT NULL,
    cUserName varchar(40),
    cHost varchar(64),
    iPid integer,
    cSession varchar(64),
    dLease varchar(30),
    PRIMARY KEY (cArchive, iKind, cScope)
);

-- Column set-ups: the suite's defaults, each user's own layouts and options, and refusals.
CREATE TABLE tarvo_colset_default (
    cColSet varchar(40) NOT NULL,
    iOrder smallint NOT NULL,
    cFld varchar(80) NOT NULL,
    cCaptionZh varchar(60) NOT NULL,
    cCaptionEn varchar(60) NOT NULL,
    iAlign smallint NOT NULL,
    bDisp smallint NOT NULL,
    iColWidth integer NOT NULL,
    cOrder varchar(4),
    PRIMARY KEY (cColSet, iOrder)
);

CREATE TABLE tarvo_colset_layout (
    cUserId varchar(20) NOT NULL,
    cColSet varchar(40) NOT NULL,
    iOrder smallint NOT NULL,
    cFld varchar(80) NOT NULL,
    cCaption varchar(60) NOT NULL,
    iAlign smallint NOT NULL,
    bDisp smallint NOT NULL,
    iColWidth integer NOT NULL,
    cOrder varchar(4),
    PRIMARY KEY (cUserId, cColSet, iOrder)
);

CREATE TABLE tarvo_colset_option (
    cUserId varchar(20) NOT NULL,
    cColSet varchar(40) NOT NULL,
    iFixedCols smallint NOT NULL DEFAULT 0,
    bLock smallint NOT NULL DEFAULT 0,
    PRIMARY KEY (cUserId, cColSet)
);

CREATE TABLE tarvo_colset_denied (
    cUserId varchar(20) NOT NULL,
    cColSet varchar(40) NOT NULL,
    PRIMARY KEY (cUserId, cColSet)
);

-- Per-user options (toolbar text, status bar, print row numbers, a list's filter fields ...).
CREATE TABLE tarvo_option (
    cUserId varchar(20) NOT NULL,
    cKey varchar(60) NOT NULL,
    cValue varchar(2000),
    PRIMARY KEY (cUserId, cKey)
);

-- Print styles (page set-up) each user keeps per archive.
CREATE TABLE IF NOT EXISTS tarvo_print_style (
    cUserId varchar(20) NOT NULL,
    cArchive varchar(40) NOT NULL,
    cStyle text NOT NULL,
    dChanged varchar(30),
    PRIMARY KEY (cUserId, cArchive)
);

-- Who changed what and when, written by the save service in the same transaction.
-- cSessionUser is who the database knew the session as, beside the operator it claimed: on a
-- server the login role, stamped by the server itself; in a file the operating-system account.
CREATE TABLE tarvo_audit (
    dWhen varchar(30) NOT NULL,
    cUserId varchar(20),
    cSessionUser varchar(63),
    cArchive varchar(40) NOT NULL,
    cAction varchar(10) NOT NULL,
    cKeyValue varchar(60),
    cDetail text
);
CREATE INDEX ix_tarvo_audit_archive ON tarvo_audit (cArchive, cKeyValue);

-- The records' history field by field, written by the save service in the save's transaction.
-- It outlives the records: a deleted record's history stays, ending in its delete. iChange
-- numbers the changes in order, iSeq the fields within one; dWhen is the database's own clock.
CREATE TABLE tarvo_history (
    iChange integer NOT NULL,
    iSeq integer NOT NULL,
    dWhen varchar(30) NOT NULL,
    cUserId varchar(20),
    cSessionUser varchar(63),
    cArchive varchar(40) NOT NULL,
    cKeyValue varchar(60) NOT NULL,
    cAction varchar(10) NOT NULL,
    cField varchar(80) NOT NULL,
    cOldValue text,
    cNewValue text,
    PRIMARY KEY (iChange, iSeq)
);
CREATE INDEX ix_tarvo_history_key ON tarvo_history (cArchive, cKeyValue);

-- One row per transaction committed on a database server, written in that transaction: when
-- the connection breaks while the server commits, the new connection finds out from it whether
-- the work was stored. Rows older than a few days are of no more use and are removed.
CREATE TABLE tarvo_commit (
    cToken varchar(40) NOT NULL PRIMARY KEY,
    dWhen varchar(30) NOT NULL
);
