-- Version 19: the grades (等级) a teacher sets, per practice kind for a
-- class or, with the empty class name, for the whole school. Speeds are in
-- the kind's own unit (字/分, WPM, CPM).
CREATE TABLE grade_rule (
    class_name TEXT NOT NULL,
    kind INTEGER NOT NULL CHECK (kind BETWEEN 111 AND 114),
    excellent_speed INTEGER NOT NULL,
    excellent_accuracy INTEGER NOT NULL,
    good_speed INTEGER NOT NULL,
    good_accuracy INTEGER NOT NULL,
    pass_speed INTEGER NOT NULL,
    pass_accuracy INTEGER NOT NULL,
    PRIMARY KEY (class_name, kind),
    CHECK (pass_speed BETWEEN 1 AND 2000 AND good_speed BETWEEN pass_speed AND 2000
           AND excellent_speed BETWEEN good_speed AND 2000),
    CHECK (pass_accuracy BETWEEN 0 AND 100 AND good_accuracy BETWEEN pass_accuracy AND 100
           AND excellent_accuracy BETWEEN good_accuracy AND 100)
);
