#pragma once

// Marks what the module library exports; everything else in it stays inside.
#define RESLIB_API __attribute__((visibility("default")))
