// The number of threads of this process, to show that none is left running.
#pragma once

int ThreadCount();
