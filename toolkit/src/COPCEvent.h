// One alarms-and-events record: what a tag's level alarm raises, sent to every
// client's event subscriptions. Its fields come with the event side of the
// library; until then tags raise no events and none is ever built.
#pragma once

class COPCEvent {};
