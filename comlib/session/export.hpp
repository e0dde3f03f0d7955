#pragma once
// Marks what the session library exports; everything else is hidden (the library is built with
// hidden visibility).
#define TM_EXPORT __attribute__((visibility("default")))
