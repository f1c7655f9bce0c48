#include "player/module1.h"

int main(int argc, char** argv) { return Module1::run(argc, argv); }
