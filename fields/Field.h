// One field of a host message: its index and tag, as both the plug-in's
// builders and the runner's report reader name it.
#pragma once

struct Field {
  short i;
  short t;
};
