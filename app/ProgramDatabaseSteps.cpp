#include "app/ProgramDatabaseSteps.h"

#include "course/CourseStore.h"
#include "exams/ExamStore.h"
#include "texts/StarterLibrary.h"

CDatabaseSteps ProgramDatabaseSteps()
{
    CDatabaseSteps steps;
    // A new database's library starts with the program's texts.
    steps.newDatabase.push_back(StarterLibrary::Seed);
    // Exams made before their screens were kept get them as the schema is
    // upgraded.
    steps.versions.emplace_back(6, ExamStore::FillMissingScreens);
    CourseStore::AddServerLessonSteps(steps);
    return steps;
}
