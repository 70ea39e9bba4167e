-- The user database on PostgreSQL. Fields are read by position: keep the
-- column order. Every table ends with its hidden key qe_key.

CREATE TABLE schema_version (
    version integer NOT NULL
);

CREATE TABLE "user" (
    name text,
    class text,
    student_no text,
    password text,
    kind text,
    qe_key bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

CREATE TABLE supperuser (
    name text,
    password text,
    qe_key bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

CREATE TABLE score (
    name text,
    student_no text,
    recorded_at timestamp(0) DEFAULT LOCALTIMESTAMP(0),
    score_type text,
    chinese_speed integer,
    english_speed integer,
    number_speed integer,
    symbol_speed integer,
    seconds integer,
    accuracy smallint,
    qe_key bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

CREATE TABLE loginhistory (
    name text,
    class text,
    student_no text,
    kind text,
    created_at timestamp(0),
    login_at timestamp(0) DEFAULT LOCALTIMESTAMP(0),
    tested_at timestamp(0),
    event text,
    qe_key bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

INSERT INTO schema_version (version) VALUES (1);
