# Sourced by the tools that make a build folder. Ninja for a new one (one made before keeps its
# generator): quicker than make, and CPack, before it packages, checks the build in one step
# instead of walking every Makefile.
export CMAKE_GENERATOR=${CMAKE_GENERATOR:-Ninja}
