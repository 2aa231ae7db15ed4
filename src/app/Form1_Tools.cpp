// The Tools menu.
#include "app/Form1.h"

void Form1::mnuConvertWMV_Click() {}
void Form1::mnuSetApiKey_Click() {}
void Form1::mnuVoiceSamples_Click() {}
