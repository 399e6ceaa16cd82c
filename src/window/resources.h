#pragma once

// The pictures live in a static library, where the linker would drop them
// unless something refers to them: every window that shows one calls this.
void initWindowResources();
