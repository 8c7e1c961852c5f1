// Ours, not the platform's: whether the process is ending (its exit has begun
// and its libraries are being unloaded). On the target platform the process's
// other threads are gone by then, COM's among them: a call that needs one of
// them, such as a request to a client or the revocation of a class object,
// would wait forever. The Linux stand-in's COM lives in the calling thread's
// reach to the very end, so there the answer is always false.
#pragma once

bool ProcessIsEnding();
