-- Creates an Ardour session in which VEXO plays one held pattern key, and saves it.
--
-- ardour7-lua create_session.lua DIR SNAPSHOT RATE_HZ TEMPO_BPM KEY NOTE_BEAT HOLD_BEATS REGION_BEATS CUTOFF FORMAT
--
-- FORMAT is LXVST (the plug-in folder's VEXO.so) or LV2 (the bundle's plug-in, found by its
-- URI). One MIDI track with VEXO as its instrument; one MIDI region from beat 0 to
-- REGION_BEATS holding KEY from NOTE_BEAT for HOLD_BEATS beats (4/4, so 4 beats a bar);
-- the session range is the region. Cutoff (the second parameter in either format) is set
-- to CUTOFF through the host, so the saved state differs from a fresh plug-in's. Prints the
-- session range as "VEXO-SESSION-RANGE START END" (samples) and "VEXO-LUA-OK" once the
-- session is saved.

local dir, snapshot = arg[1], arg[2]
local rate = tonumber(arg[3])
local bpm = tonumber(arg[4])
local key = tonumber(arg[5])
local note_beat = tonumber(arg[6])
local hold_beats = tonumber(arg[7])
local region_beats = tonumber(arg[8])
local cutoff = tonumber(arg[9])
local format = arg[10]
assert(format, "usage: create_session.lua DIR SNAPSHOT RATE TEMPO KEY NOTE_BEAT HOLD_BEATS REGION_BEATS CUTOFF FORMAT")

local kVexoName = "VEXO"
-- Ardour finds a plug-in by its name or its unique ID: an LV2 plug-in's ID is its URI.
local kPluginIds = {
	LXVST = { id = kVexoName, type = ARDOUR.PluginType.LXVST, what = "the Linux VST" },
	LV2 = { id = "https://fernwave.example/vexo", type = ARDOUR.PluginType.LV2, what = "the LV2 plug-in" },
}
local wanted = kPluginIds[format]
assert(wanted, "FORMAT must be LXVST or LV2, not " .. format)
local kCutoffParameter = 1
local kVelocity = 100

-- Waits until the engine has finished `count` more process cycles.
local function wait_for_cycles(count)
	local kPollMicroseconds = 2000
	local kLimitMicroseconds = 10000000
	local engine = Session:engine()
	local processed = engine:processed_samples()
	local waited = 0
	while count > 0 do
		assert(waited < kLimitMicroseconds, "the engine does not process")
		ARDOUR.LuaAPI.usleep(kPollMicroseconds)
		waited = waited + kPollMicroseconds
		local now = engine:processed_samples()
		if now ~= processed then
			processed = now
			count = count - 1
		end
	end
end

assert(create_session(dir, snapshot, rate), "cannot create the session in " .. dir)

local tempo_map = Temporal.TempoMap.fetch_writable()
tempo_map:set_tempo(Temporal.Tempo(bpm, bpm, 4), Temporal.timepos_t(0))
Temporal.TempoMap.update(tempo_map)
tempo_map = nil

local info = ARDOUR.LuaAPI.new_plugin_info(wanted.id, wanted.type)
assert(not info:isnil(), "Ardour does not list " .. wanted.what .. " " .. wanted.id .. " (not in its plug-in path?)")

local tracks = Session:new_midi_track(ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1),
	ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2), false, info, nil, nil, 1, "Bass",
	ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
assert(tracks:size() == 1, "cannot add the MIDI track")
local track = tracks:front()
-- With strict I/O the instrument's outputs would be cut to the track's input count.
track:set_strict_io(false)

local plugin = track:nth_plugin(0)
assert(not plugin:isnil(), "the track has no instrument")
assert(plugin:display_name() == kVexoName, "unexpected instrument " .. plugin:display_name())
assert(ARDOUR.LuaAPI.set_processor_param(plugin, kCutoffParameter, cutoff), "cannot set Cutoff")
local cutoff_read = ARDOUR.LuaAPI.get_processor_param(plugin, kCutoffParameter, true)
assert(math.abs(cutoff_read - cutoff) < 1e-6, "Cutoff reads back as " .. tostring(cutoff_read))
-- Ardour keeps a value set on an LV2 control port in a copy of its own and writes it into
-- the port only right before the plug-in's next run(): until the engine has processed a
-- cycle, no LV2 plug-in can see the new Cutoff, and a state saved now would hold the old one.
-- The first cycle seen may have begun before the change: wait for two.
wait_for_cycles(2)

-- The Lua API has no way to create an empty MIDI region directly: bouncing the empty
-- track over the wanted range gives one, which is then filled with the note.
local region_end = math.floor(region_beats * 60 / bpm * rate + 0.5)
local thread_info = ARDOUR.InterThreadInfo()
local region = track:bounce_range(0, region_end, thread_info, ARDOUR.LuaAPI.nil_proc(), false, "vexo-key")
assert(region and not region:isnil(), "cannot create the MIDI region")
local midi_region = region:to_midiregion()
assert(not midi_region:isnil(), "the bounced region holds no MIDI")

local model = midi_region:model()
local command = model:new_note_diff_command("hold pattern key")
command:add(ARDOUR.LuaAPI.new_noteptr(0, Temporal.Beats(note_beat, 0), Temporal.Beats(hold_beats, 0), key, kVelocity))
model:apply_command(Session, command)

-- The session range follows regions added under one of the editor's region operations.
Session:begin_reversible_command("create region")
track:playlist():add_region(region, Temporal.timepos_t(0), 1, false)
if not Session:abort_empty_reversible_command() then
	Session:commit_reversible_command(nil)
end
local range = Session:locations():session_range_location()
assert(range, "the session has no range")
print(string.format("VEXO-SESSION-RANGE %d %d", range:start():samples(), range:_end():samples()))

-- Lua references to session objects must be gone before the session closes.
command = nil
model = nil
midi_region = nil
region = nil
thread_info = nil
plugin = nil
track = nil
tracks = nil
info = nil
range = nil
collectgarbage()

assert(Session:save_state("") == 0, "cannot save the session")
close_session()
print("VEXO-LUA-OK")
