// The framework's own string ids. Only plain #defines: the program's
// resource script includes this file and holds the texts in its languages.
#pragma once

#define AFX_IDP_PARSE_INT 0xF110
#define AFX_IDP_PARSE_INT_RANGE 0xF112
