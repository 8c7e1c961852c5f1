// Whether the calling thread has COM initialised, for the COM functions that
// must refuse calls from threads that have not.
#pragma once

bool IsComInitializedOnThisThread();
