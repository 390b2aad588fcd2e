#pragma once
#define IDI_OSTREVIN 1
