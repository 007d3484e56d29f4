// QDPURGE: reviews and erases the unused named records of five kinds in modal dialogs
// from "QDPURGE.DCL", keeping what protection masks and the user choose.
#pragma once

namespace qd::purge {
// Runs the command; RTNORM.
int purgeCommand();
}  // namespace qd::purge
