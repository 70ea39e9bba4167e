-- Version 21: the daily goal (每日目标) a teacher sets for a class or, with
-- the empty class name, for the whole school: minutes of practice a day and
-- an accuracy to hold over the day's practices.
CREATE TABLE daily_goal (
    class_name TEXT PRIMARY KEY,
    minutes INTEGER NOT NULL CHECK (minutes BETWEEN 1 AND 240),
    accuracy INTEGER NOT NULL CHECK (accuracy BETWEEN 0 AND 100)
);
