#include "loginform.h"

LoginForm g_loginForm;
