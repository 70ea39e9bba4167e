-- Version 21: the daily goal (每日目标) a teacher sets for a class or, with
-- the empty class name, for the whole school: minutes of practice a day and
-- an accuracy to hold over the day's practices.
CREATE TABLE daily_goal (
    class_name TEXT PRIMARY KEY,
    minutes INTEGER NOT NULL CHECK (minutes BETWEEN 1 AND 240),
    accuracy INTEGER NOT NULL CHECK (accuracy BETWEEN 0 AND 100)
);

-- A pupil's attempts by time carry whether they are in doubt too, so that
-- the time practised (练习日历, 练习时间, 每日目标) is read from the index
-- alone, as the pupil's list is.
DROP INDEX attempt_by_user;
CREATE INDEX attempt_by_user
    ON attempt (user_key, started_at, id, kind, elapsed_ms, typed_units, correct_units, checked);
