// Compiled only so that the test programs' precompiled headers have a target to be built by.
