#pragma once
// Resource and control identifiers shared by the dialog templates and the code.
#define IDD_MAIN 101
