#pragma once

class THourwarden;

// Operations of subsystems that are not built yet. Each one only notes in the debug log that it
// was reached, so the handler sequences are complete and visible; each is removed when the real
// operation lands.
void PendingUpdateProcessList(THourwarden& service);
