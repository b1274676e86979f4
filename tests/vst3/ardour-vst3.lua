-- Run by ardour-vst3.sh in its working folder, on Ardour's dummy backend:
--   STEP=list    lists the VST 3 plug-ins Ardour knows
--   STEP=make    a session with a MIDI track for each product; the Kit's pad
--                2 gets a preset (its name and Level come as state), nine
--                pads go one to each stereo output and are struck until all
--                18 of the track's outputs have sounded, DrumTamrik is struck
--                until its track has; pad 2's CutOff and Key change through
--                Ardour's parameter calls, and the session is saved
--   STEP=reopen  the saved session opened in a new process and saved again
local step = os.getenv("STEP")
local kit_id, tamrik_id = "185D364037194850B13E234725AD0343", "97F62CCEF94B4EA9A5FEDDA55E1CE50E"
local cutoff2, key2, level2, output2 = 34, 52, 54, 56

AudioEngine:set_backend("None (Dummy)", "", "")
assert(AudioEngine:start(false) == 0, "the engine did not start")

-- Stepped parameters are set and read as Ardour shows them, by choice
-- number; continuous ones as 0 to 1.
local helpers = dofile(debug.getinfo(1, "S").source:match("^@(.*/)") .. "../ardour-helpers.lua")
local wait_until, param, save = helpers.wait_until, helpers.param, helpers.save
local function report(track) return helpers.report(track, {cutoff2, key2, level2, output2}) end

local function listed()
  local found = {}
  for p in ARDOUR.LuaAPI.list_plugins():iter() do
    if p.type == ARDOUR.PluginType.VST3 then
      print("listed: " .. p.name .. " " .. p.unique_id .. " by " .. p.creator)
      found[p.unique_id] = p
    end
  end
  return found
end

-- A MIDI track with the plug-in, each of its outputs on a port of its own.
local function new_track(info, name)
  local track = Session:new_midi_track(ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1),
    ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2), false, info, nil, nil, 1, name,
    ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true):front()
  track:panner_shell():set_bypassed(true)
  return track
end

local function strike(insert, key)
  local parser = ARDOUR.RawMidiParser()
  for _, byte in ipairs({0x90, key, 100}) do
    if parser:process_byte(byte) then
      insert:write_immediate_event(Evoral.EventType.MIDI_EVENT, parser:buffer_size(), parser:midi_buffer())
    end
  end
end

-- The track's loudest sample on each audio output since the meter began, in dB.
local function peaks(track)
  local meter = track:peak_meter()
  local midi = meter:input_streams():n_midi()
  local levels = {}
  for c = 1, track:n_outputs():n_audio() do
    levels[c] = meter:meter_level(midi + c - 1, ARDOUR.MeterType.MeterMaxPeak)
  end
  return levels
end

local function all_heard(track)
  for _, dB in ipairs(peaks(track)) do
    if not (dB > -120) then return false end
  end
  return true
end

if step == "list" then
  listed()
elseif step == "make" then
  local found = listed()
  assert(found[kit_id] and found[tamrik_id], "the plug-ins are not both listed")
  Session = create_session("session", "kit", 44100)

  local kit = new_track(found[kit_id], "Kit")
  local proc = kit:nth_plugin(0)
  local plugin = proc:to_insert():plugin(0)
  local preset = plugin:preset_by_label(os.getenv("KIT_PRESET"))
  assert(preset, "the preset is not listed")
  assert(plugin:load_preset(preset), "the preset did not load")
  wait_until("the preset's Level", function() return param(proc, level2) == 0.75 end)

  -- Pads that choke none of the others, on Main and Aux 1 to 8.
  local pads = {{0, 36}, {1, 38}, {4, 39}, {5, 37}, {7, 49}, {8, 51}, {9, 41}, {10, 43}, {11, 45}}
  for output, pad in ipairs(pads) do
    ARDOUR.LuaAPI.set_processor_param(proc, 30 * pad[1] + 26, output - 1)
  end
  wait_until("the routing", function() return param(proc, 30 * pads[9][1] + 26) == 8 end)
  -- Struck again while an output stays silent: the routing may reach the
  -- plug-in a cycle after the notes.
  local polls = 0
  wait_until("all 18 outputs", function()
    if polls % 50 == 0 then
      for _, pad in ipairs(pads) do strike(proc:to_insert(), pad[2]) end
    end
    polls = polls + 1
    return all_heard(kit)
  end)
  local levels = {}
  for c, dB in ipairs(peaks(kit)) do levels[c] = string.format("%.0f", dB) end
  print("heard on the Kit's outputs (dB): " .. table.concat(levels, " "))

  local drums = new_track(found[tamrik_id], "Drums")
  strike(drums:nth_plugin(0):to_insert(), 36)
  wait_until("DrumTamrik", function() return all_heard(drums) end)
  print(string.format("heard DrumTamrik on its %d outputs", drums:n_outputs():n_audio()))

  ARDOUR.LuaAPI.set_processor_param(proc, cutoff2, 0.25)
  ARDOUR.LuaAPI.set_processor_param(proc, key2, 61)
  wait_until("pad 2's Key", function() return param(proc, key2) == 61 end)
  report(kit)
  save()
else
  helpers.reopen({cutoff2, key2, level2, output2})
end
