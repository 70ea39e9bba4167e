-- Version 20: a competition (比赛) is an exam its pupils start together:
-- how it is scored (0: correct characters a minute; 1: 错一罚五), the
-- shares (percent) that win 一等奖, 二等奖 and 三等奖, and its start, NULL
-- until a teacher starts it. Every sitting starts at that moment.
CREATE TABLE competition (
    exam_id INTEGER PRIMARY KEY REFERENCES exam (id) ON DELETE CASCADE,
    scoring INTEGER NOT NULL CHECK (scoring IN (0, 1)),
    first_share INTEGER NOT NULL CHECK (first_share BETWEEN 0 AND 100),
    second_share INTEGER NOT NULL CHECK (second_share BETWEEN 0 AND 100),
    third_share INTEGER NOT NULL CHECK (third_share BETWEEN 0 AND 100),
    starts_at TEXT,
    CHECK (first_share + second_share + third_share <= 100)
);

-- The school's name, for its 奖状.
CREATE TABLE school (
    id INTEGER PRIMARY KEY CHECK (id = 1),
    name TEXT NOT NULL CHECK (length(name) <= 40)
);
