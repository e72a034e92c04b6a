#!/usr/bin/env python3
"""Files made to harm, one row a threat: velmorin-cli refuses each cleanly (its
exit status and reason), writes no file, and opens nothing outside the model's
own tree (seen by strace: bait files beside the tree and in the current folder
are never opened). Each row's time and peak memory are printed, not judged.

    hostile_files.py VELMORIN_CLI SAMPLE_DIR
"""
import base64, json, os, shutil, struct, subprocess, sys, tempfile, time, zlib

cli, sample = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
here = os.path.dirname(os.path.abspath(__file__))
seed = json.load(open(os.path.join(here, "..", "fuzz", "import_seed.gltf")))
PNG = b"\x89PNG\r\n\x1a\n"


def png_header(width, height):
    return PNG + struct.pack(">I4sIIBBBBB", 13, b"IHDR", width, height, 8, 2, 0, 0, 0) + b"\0" * 4


def small_png():
    """A 2 x 2 RGB PNG."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\0" + bytes([200, 40, 40] * 2) for _ in range(2))
    return PNG + chunk(b"IHDR", struct.pack(">IIBBBBB", 2, 2, 8, 2, 0, 0, 0)) + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")


def gltf(**changes):
    document = json.loads(json.dumps(seed))
    for key, value in changes.items():
        document[key] = value
    return json.dumps(document)


def seed_data():
    return base64.b64decode(seed["buffers"][0]["uri"].split(",")[1])


def external_buffer(uri):
    return gltf(buffers=[{"byteLength": len(seed_data()), "uri": uri}])


def textured(uri):
    return gltf(images=[{"uri": uri}], textures=[{"source": 0}],
                materials=[{"pbrMetallicRoughness": {"baseColorTexture": {"index": 0}}}],
                meshes=[dict(seed["meshes"][0], primitives=[dict(seed["meshes"][0]["primitives"][0], material=0)])])


def zeros_accessor(count, kind):
    # No buffer view: glTF's zeros, as many as the count says, from a few bytes.
    return seed["accessors"] + [{"componentType": 5126, "count": count, "type": kind}]


def md2(skin=b"", triangles=1, size=None):
    """A model: four corners of a square, one strip of `triangles` across them."""
    vertices = [(0, 0, 0), (255, 0, 0), (0, 0, 255), (255, 0, 255)]
    frame = struct.pack("<3f3f16s", 1, 1, 1, 0, 0, 0, b"stand") + b"".join(bytes(v) + b"\0" for v in vertices)
    commands = struct.pack("<i", triangles + 2) + b"".join(struct.pack("<ffi", 0, 0, k % 4) for k in range(triangles + 2))
    commands += struct.pack("<i", 0)
    skins = skin.ljust(64, b"\0") if skin else b""
    ofs_skins = 68
    ofs_frames = ofs_skins + len(skins)
    ofs_commands = ofs_frames + len(frame)
    end = ofs_commands + len(commands)
    header = struct.pack("<4s16i", b"IDP2", 8, 64, 64, len(frame), 1 if skin else 0, 4, 0, 0, len(commands) // 4, 1,
                         ofs_skins, end, end, ofs_frames, ofs_commands, end)
    return header + skins + frame + commands


# Each row: a name, the command's arguments ({m} the model's folder), the files
# of the model's tree (bytes, or ("link", target), "fifo", ("sparse", size)),
# the exit status and the reason its message must hold.
GB2 = 2 << 30
rows = [
    ("import: a buffer that climbs out", ["import", "{m}/a.gltf", "-o", "{m}/out.md2"],
     {"a.gltf": external_buffer("../../../../../../../../{o}/secret.bin")}, 1, "leaves its folder"),
    ("import: a percent-encoded climb", ["import", "{m}/a.gltf", "-o", "{m}/out.md2"],
     {"a.gltf": external_buffer("%2e%2e/%2e%2e/outside/secret.bin")}, 1, "leaves its folder"),
    ("import: an absolute buffer path", ["import", "{m}/a.gltf", "-o", "{m}/out.md2"],
     {"a.gltf": external_buffer("{o}/secret.bin")}, 1, "an absolute path"),
    ("import: an image that climbs out", ["import", "{m}/a.gltf", "-o", "{m}/out.md2"],
     {"a.gltf": textured("../outside/secret.png")}, 1, "leaves its folder"),
    ("import: a buffer only the current folder has", ["import", "{m}/a.gltf", "-o", "{m}/out.md2"],
     {"a.gltf": external_buffer("bait.bin")}, 1, "no such file"),
    ("import: a link out of the folder", ["import", "{m}/a.gltf", "-o", "{m}/out.md2"],
     {"a.gltf": external_buffer("in.bin"), "in.bin": ("link", "{o}/secret.bin")}, 1, "leaves its folder"),
    ("import: a FIFO", ["import", "{m}/a.gltf", "-o", "{m}/out.md2"],
     {"a.gltf": external_buffer("pipe.bin"), "pipe.bin": "fifo"}, 1, "not a regular file"),
    ("import: a link to a 2 GiB file", ["import", "{m}/a.gltf", "-o", "{m}/out.md2"],
     {"a.gltf": external_buffer("big.bin"), "big.bin": ("link", "huge.bin"), "huge.bin": ("sparse", GB2)}, 1,
     "more than"),
    ("import: 2^24 inverse binds from nothing", ["import", "{m}/a.gltf", "-o", "{m}/out.md2"],
     {"a.gltf": gltf(accessors=zeros_accessor(1 << 24, "MAT4"),
                     skins=[{"joints": [1, 2], "inverseBindMatrices": len(seed["accessors"])}])}, 1, "elements where"),
    ("import: 8 channels of 2^24 keys", ["import", "{m}/a.gltf", "-o", "{m}/out.md2"],
     {"a.gltf": gltf(accessors=zeros_accessor(1 << 24, "SCALAR"), animations=[{"name": "long", "samplers": [
         {"input": len(seed["accessors"]), "output": 8}], "channels": [{"sampler": 0, "target": {"node": 2, "path": "rotation"}}] * 8}])},
     1, "elements where"),
    ("import: a 16384 x 16384 PNG, three times", ["import", "{m}/a.gltf", "-o", "{m}/out.md2"],
     {"a.gltf": textured("huge.png"), "huge.png": png_header(16384, 16384)}, 1, "more than the 4096 x 4096"),
    ("import: JSON 20,000 deep", ["import", "{m}/a.gltf", "-o", "{m}/out.md2"],
     {"a.gltf": gltf(extras="DEEP")}, 1, "nests deeper"),
    ("import: an image outside its buffer", ["import", "{m}/a.gltf", "-o", "{m}/out.md2"],
     {"a.gltf": gltf(images=[{"bufferView": 0, "mimeType": "image/png"}],
                     bufferViews=seed["bufferViews"][:0] + [{"buffer": 0, "byteOffset": 500, "byteLength": 4096}])},
     1, "do not lie inside"),
    ("import: over its own texture", ["import", "{m}/knight.gltf", "-o", "{m}/knight.md2"],
     {"knight.gltf": textured("knight.pcx"), "knight.pcx": small_png()}, 1, "knight.pcx: it is"),
    ("import: over its palette", ["import", "{m}/a.gltf", "--palette", "{m}/colormap.pcx", "-o", "{m}/colormap.md2"],
     {"a.gltf": gltf(), "colormap.pcx": "SAMPLE_SKIN"}, 1, "colormap.pcx: it is"),
    ("import: Draco", ["import", "{m}/a.gltf", "-o", "{m}/out.md2"],
     {"a.gltf": gltf(extensionsRequired=["KHR_draco_mesh_compression"])}, 1,
     "compressed with KHR_draco_mesh_compression: export without compression"),
    ("import: meshopt", ["import", "{m}/a.gltf", "-o", "{m}/out.md2"],
     {"a.gltf": gltf(extensionsRequired=["EXT_meshopt_compression"])}, 1, "compressed with EXT_meshopt_compression"),
    ("import: a basisu texture", ["import", "{m}/a.gltf", "-o", "{m}/out.md2"],
     {"a.gltf": gltf(extensionsRequired=["KHR_texture_basisu"])}, 1, "KHR_texture_basisu"),
    ("import: glTF 1.0", ["import", "{m}/a.gltf", "-o", "{m}/out.md2"],
     {"a.gltf": gltf(asset={"version": "1.0"})}, 1, "glTF 1.0"),
    ("render: over its model", ["render", "{m}/l.md2", "-o", "{m}/l.md2"], {"l.md2": "SAMPLE_MODEL"}, 1, "l.md2: it is"),
    ("render: a FIFO model", ["render", "{m}/x.md2", "-o", "{m}/x.bmp"], {"x.md2": "fifo"}, 1, "cannot be read"),
    ("render: a FIFO skin", ["render", "{m}/l.md2", "--skin", "{m}/l.pcx", "-o", "{m}/l.bmp"],
     {"l.md2": "SAMPLE_MODEL", "l.pcx": "fifo"}, 1, "l.pcx: refused: offset 0"),
    ("export: over its skin", ["export", "{m}/l.md2", "--skin", "{m}/l.png", "-o", "{m}/l.gltf"],
     {"l.md2": "SAMPLE_MODEL", "l.png": "SAMPLE_SKIN"}, 1, "l.png: it is"),
    ("thumbnail: a skin path that climbs out", ["thumbnail", "{m}/x.md2", "{m}/x.png", "128"],
     {"x.md2": md2(b"../../../../outside/secret.pcx")}, 0, ""),
    ("thumbnail: an absolute skin path", ["thumbnail", "{m}/x.md2", "{m}/x.png", "128"],
     {"x.md2": lambda outside: md2(outside.encode() + b"/secret.pcx")}, 0, ""),
    ("thumbnail: a skin linked out", ["thumbnail", "{m}/x.md2", "{m}/x.png", "128"],
     {"x.md2": md2(b"x.pcx"), "x.pcx": ("link", "{o}/secret.pcx")}, 0, ""),
    ("thumbnail: a 2 GiB skin beside it", ["thumbnail", "{m}/x.md2", "{m}/x.png", "128"],
     {"x.md2": md2(b"x.pcx"), "x.pcx": ("sparse", GB2)}, 0, ""),
    ("thumbnail: a 2 GiB model", ["thumbnail", "{m}/x.md2", "{m}/x.png", "128"],
     {"x.md2": ("sparse", GB2)}, 1, "more than"),
    ("thumbnail: 66,000 large triangles at 256", ["thumbnail", "{m}/x.md2", "{m}/x.png", "256"],
     {"x.md2": md2(triangles=66000)}, 0, ""),
    ("thumbnail: 20,000 large triangles at 1024", ["thumbnail", "{m}/x.md2", "{m}/x.png", "1024"],
     {"x.md2": md2(triangles=20000)}, 0, ""),
    ("info: a 2 GiB model", ["info", "{m}/x.md2"], {"x.md2": ("sparse", GB2)}, 1, "cannot be read"),
    ("check: a FIFO", ["check", "{m}/x.md2"], {"x.md2": "fifo"}, 1, "cannot be read"),
]


def listing(folder):
    return {os.path.join(d, f) for d, folders, names in os.walk(folder) for f in folders + names}


def run(arguments, wrapper, folder):
    """The command's exit status, what it said, its seconds and peak megabytes."""
    said, peak = os.path.join(work, "said"), os.path.join(work, "peak")
    # GNU time for the peak: a child of this Python would count Python's own
    # memory from before its exec.
    wrapper = wrapper or ["/usr/bin/time", "-f", "%M", "-o", peak]
    if os.path.exists(peak):
        os.remove(peak)
    started = time.monotonic()
    with open(said, "wb") as output:
        process = subprocess.Popen(wrapper + [cli] + arguments, cwd=folder, stdin=subprocess.DEVNULL,
                                   stdout=output, stderr=output)
        try:
            process.wait(timeout=60)
        except subprocess.TimeoutExpired:  # a run that hangs fails its row, not the suite
            process.kill()
            process.wait()
    kilobytes = open(peak).read().split()[-1] if os.path.exists(peak) else "0"
    return (process.returncode, open(said, errors="replace").read(), time.monotonic() - started,
            int(kilobytes) / 1024 if kilobytes.isdigit() else 0)


work = tempfile.mkdtemp(prefix="velmorin-hostile-")
failures = 0
print(f"{'row':52} {'status':>6} {'seconds':>8} {'peak MB':>8}  what it said")
for number, (name, arguments, files, status, reason) in enumerate(rows):
    row = os.path.join(work, str(number))
    model, outside, current = (os.path.join(row, p) for p in ("tree/model", "outside", "current"))
    for folder in (model, outside, current):
        os.makedirs(folder)
    fill = lambda text: text.replace("{m}", model).replace("{o}", outside)
    # Bait: what a hostile path reaches for, outside the tree and in the current folder.
    for bait in (os.path.join(outside, "secret.bin"), os.path.join(current, "bait.bin")):
        open(bait, "wb").write(seed_data())
    open(os.path.join(outside, "secret.png"), "wb").write(small_png())
    shutil.copy(os.path.join(sample, "lantern.pcx"), os.path.join(outside, "secret.pcx"))
    for file, content in files.items():
        path = os.path.join(model, file)
        if content == "fifo":
            os.mkfifo(path)
        elif content in ("SAMPLE_MODEL", "SAMPLE_SKIN"):
            shutil.copy(os.path.join(sample, "lantern.md2" if content == "SAMPLE_MODEL" else "lantern.pcx"), path)
        elif isinstance(content, tuple) and content[0] == "link":
            os.symlink(fill(content[1]), path)
        elif callable(content):
            open(path, "wb").write(content(outside))
        elif isinstance(content, tuple):
            with open(path, "wb") as f:
                f.truncate(content[1])
        else:
            data = content if isinstance(content, bytes) else fill(content).encode()
            data = data.replace(b'"DEEP"', b"[" * 20000 + b"]" * 20000)
            open(path, "wb").write(data)
    before = listing(row)
    trace = os.path.join(work, f"{number}.strace")
    # Once under strace for what it opens; once alone for its time and memory.
    run([fill(a) for a in arguments], ["strace", "-f", "-qq", "-e", "trace=open,openat,creat", "-o", trace], current)
    for path in sorted(listing(row) - before, reverse=True):  # the same run's files are judged below
        (os.rmdir if os.path.isdir(path) else os.remove)(path)
    returned, error, seconds, peak = run([fill(a) for a in arguments], [], current)
    said_first = (error.strip().splitlines() or [""])[0].replace(model, "M").replace(outside, "O")
    print(f"{name:52} {returned:>6} {seconds:8.2f} {peak:8.0f}  {said_first[:110]}")
    problems = []
    if returned != status:
        problems.append(f"exit {returned}, not {status}")
    if reason and reason not in error:
        problems.append(f"no \"{reason}\" in: {error.strip()[:300]}")
    written = sorted(listing(row) - before)
    if status == 0 and written == [fill("{m}/x.png")]:
        written = []
    if written:
        problems.append(f"files written: {written}")
    opened = [line.split('"')[1] for line in open(trace) if line.count('"') >= 2 and "ENOENT" not in line]
    reached = [p for p in opened if os.path.realpath(os.path.join(current, p)).startswith((outside, current))
               or p in ("/etc/passwd", "/etc/shadow")]
    if reached:
        problems.append(f"opened outside the model's tree: {reached}")
    for problem in problems:
        print(f"FAILED: {name}: {problem}")
    failures += len(problems)

# A sticky folder (as /tmp) where x.pcx is another user's: the import that
# would replace it is refused before x.md2 is put in place. Run as nobody,
# so only where this runs as root.
if os.geteuid() == 0:
    sticky = os.path.join(work, "sticky")
    os.makedirs(sticky)
    os.chmod(work, 0o755)
    os.chmod(sticky, 0o1777)
    open(os.path.join(sticky, "a.gltf"), "w").write(textured("a.png"))
    open(os.path.join(sticky, "a.png"), "wb").write(small_png())
    open(os.path.join(sticky, "x.pcx"), "wb").write(b"root's")
    nobody = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
    returned, error, _, _ = run(["import", os.path.join(sticky, "a.gltf"), "-o", os.path.join(sticky, "x.md2")], nobody, sticky)
    name = "import: over another user's file in a sticky folder"
    print(f"{name:52} {returned:>6}  {error.strip()[:110]}")
    if returned != 1 or "belongs to another user" not in error or sorted(os.listdir(sticky)) != ["a.gltf", "a.png", "x.pcx"]:
        print(f"FAILED: the sticky folder: exit {returned}, {error.strip()[:200]}, left {sorted(os.listdir(sticky))}")
        failures += 1

shutil.rmtree(work)
if failures:
    sys.exit(1)
print("hostile files: all refused or confined")
