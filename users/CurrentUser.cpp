#include "users/CurrentUser.h"

CCurrentUser CurrentUser;
