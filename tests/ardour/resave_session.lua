-- Opens a saved session (the plug-in gets its saved state back) and saves it again
-- under another snapshot name, so the state the plug-in hands back can be compared.
--
-- ardour7-lua resave_session.lua DIR SNAPSHOT NEW_SNAPSHOT
--
-- Prints "VEXO-LUA-OK" once the new snapshot is written.

local dir, snapshot, new_snapshot = arg[1], arg[2], arg[3]
assert(new_snapshot, "usage: resave_session.lua DIR SNAPSHOT NEW_SNAPSHOT")

assert(load_session(dir, snapshot), "cannot load snapshot " .. snapshot .. " of " .. dir)
assert(Session:save_state(new_snapshot) == 0, "cannot save snapshot " .. new_snapshot)
collectgarbage()
close_session()
print("VEXO-LUA-OK")
