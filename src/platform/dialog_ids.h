/* Identifiers of the input box, a dialog of trova.rc. Plain defines: the
   resource compiler reads this file too. */
#pragma once
#define IDD_INPUT 200
#define IDC_INPUT_PROMPT 101
#define IDC_INPUT_EDIT 102
