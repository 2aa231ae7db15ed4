// The five pipeline steps and the Full Auto run.
#include "app/Form1.h"

void Form1::Command2_Click() {}
void Form1::Command3_Click() {}
void Form1::cmdConvert_Click() {}
void Form1::Command4_Click() {}
void Form1::Command5_Click() {}
void Form1::Command1_Click() {}
