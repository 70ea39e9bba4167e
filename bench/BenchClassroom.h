#pragma once

#include <QString>

class CScriptedPlatform;

// The teacher's tools over a school: 2,000 pupils in 40 classes of 50 and
// 1,000,000 attempts. Registers, per engine, ClassReport/<engine> (the
// report of one class opened and shown over all days; it and its floor run
// five times as repetitions, the median kept), ClassWeakness/<engine>
// (班级弱项 of that class over 1,000,000 key rows, one an attempt, with its
// floor), ImportPupils/<engine>
// (a class list of 1,000 pupils read, checked and added) and, once,
// ClassExport/xlsx, /csv and /pdf (a 50-pupil class written out).
// postgresCluster may be empty (SQLite only). Call DropClassroomBenchmarks
// after the run.
void RegisterClassroomBenchmarks(const QString& workDir, const QString& postgresCluster,
                                 CScriptedPlatform* platform);
void DropClassroomBenchmarks();
