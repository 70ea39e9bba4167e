-- The user database on SQLite. Fields are read by position: keep the
-- column order. Every table ends with its hidden key qe_key.

CREATE TABLE schema_version (
    version INTEGER NOT NULL
);

CREATE TABLE "user" (
    name TEXT,
    class TEXT,
    student_no TEXT,
    password TEXT,
    kind TEXT,
    qe_key INTEGER PRIMARY KEY AUTOINCREMENT
);

CREATE TABLE supperuser (
    name TEXT,
    password TEXT,
    qe_key INTEGER PRIMARY KEY AUTOINCREMENT
);

CREATE TABLE score (
    name TEXT,
    student_no TEXT,
    recorded_at DATETIME DEFAULT (datetime('now', 'localtime')),
    score_type TEXT,
    chinese_speed INTEGER,
    english_speed INTEGER,
    number_speed INTEGER,
    symbol_speed INTEGER,
    seconds INTEGER,
    accuracy SMALLINT,
    qe_key INTEGER PRIMARY KEY AUTOINCREMENT
);

CREATE TABLE loginhistory (
    name TEXT,
    class TEXT,
    student_no TEXT,
    kind TEXT,
    created_at DATETIME,
    login_at DATETIME DEFAULT (datetime('now', 'localtime')),
    tested_at DATETIME,
    event TEXT,
    qe_key INTEGER PRIMARY KEY AUTOINCREMENT
);

INSERT INTO schema_version (version) VALUES (1);
