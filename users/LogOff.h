#pragma once

// View command "log off the current user": CurrentUser back to its start
// values (kind code 0 included, so no rights survive the log-off), the
// status panes show it at once, then the login dialog runs; cancelling it
// leaves nobody logged in and does not end the program.
void LogOffCurrentUser();
