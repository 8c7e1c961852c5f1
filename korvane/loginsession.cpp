#include "loginsession.h"

LoginSession g_session;
