#pragma once

#include <functional>

// What the rooms above tell a pupil right after a login or a registration
// (an open exam of the class, the work set): each notice registers here, and
// runs once the login dialog has closed.
namespace AfterLogin {

using Notice = std::function<void()>;
// Returns the notice's number, for Remove.
int Add(Notice notice);
void Remove(int number);
// Called by the login and the registration when somebody logged in; the
// notices run from the event loop, after the dialog is gone.
void Schedule();

} // namespace AfterLogin

// What the rooms above do when a user logs off or the program closes, while
// the user's rights still hold (the live view takes the pupil's row away).
namespace BeforeLogOff {

int Add(AfterLogin::Notice notice);
void Remove(int number);
void Run();

} // namespace BeforeLogOff
