#pragma once
// The thread library: threads, monitors, recursive mutexes, scoped locking and
// adoption of threads the library did not start.

#include "platform/jtc/Exception.h"
#include "platform/jtc/Monitor.h"
#include "platform/jtc/RecursiveMutex.h"
#include "platform/jtc/Synchronized.h"
#include "platform/jtc/Thread.h"
