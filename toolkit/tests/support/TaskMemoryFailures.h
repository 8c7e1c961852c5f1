// Whether a task-allocator failure a test asks for (TaskMemoryFailNextAllocations)
// reaches the toolkit's own next allocation. The Linux stand-in's allocator
// serves the toolkit alone; the system's also serves its own routines (BSTRs,
// for one) that the toolkit calls, so there a failure cannot be aimed at a
// given block of the toolkit's.
#pragma once

bool TaskMemoryFailuresReachOnlyTheToolkit();
