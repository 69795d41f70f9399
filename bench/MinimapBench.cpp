// benchmarks of sampling and MakeMinimap
