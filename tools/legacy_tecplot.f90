! legacy_tecplot: the benchmark's comparison with the formatted WRITE of the
! Fortran run-time library. Converts every step of an RX-KORIN result file to
! TECPLOT zones (the same bytes as rxpost), reading the records with
! unformatted sequential access and writing every line with a format.
!
!   legacy_tecplot RESULT_FILE OUTPUT
program legacy_tecplot
  implicit none
  character(len=256) :: result_name, output_name
  character(len=80) :: title
  integer :: numnp, numel, i, e, k, step_no, ios, active, corners
  double precision :: step_time, r, dummy_a, dummy_b
  double precision, allocatable :: x(:), y(:), head(:), flow(:), evx(:), evy(:), nvx(:), nvy(:)
  integer, allocatable :: elem(:, :), code(:), count(:)

  call get_command_argument(1, result_name)
  call get_command_argument(2, output_name)
  open (10, file=result_name, form='unformatted', access='sequential', status='old')
  open (20, file=output_name, form='formatted', status='replace')
  read (10) title
  read (10) numnp
  allocate (x(numnp), y(numnp), head(numnp), flow(numnp), code(numnp), nvx(numnp), nvy(numnp))
  allocate (count(numnp))
  read (10) (x(i), y(i), i=1, numnp)
  read (10) numel
  allocate (elem(numel, 5), evx(numel), evy(numel))
  read (10) ((elem(e, k), k=1, 5), dummy_a, dummy_b, e=1, numel)
  active = 0
  do e = 1, numel
    if (elem(e, 5) > 0) active = active + 1
  end do
  do
    read (10, iostat=ios) step_no, step_time
    if (ios /= 0) exit
    read (10) (code(i), head(i), flow(i), i=1, numnp)
    read (10) (evx(e), evy(e), e=1, numel)
    count = 0
    nvx = 0d0
    nvy = 0d0
    do e = 1, numel
      if (elem(e, 5) <= 0) cycle
      corners = 4
      if (elem(e, 4) == elem(e, 3) .or. elem(e, 4) == 0) corners = 3
      do k = 1, corners
        i = elem(e, k)
        count(i) = count(i) + 1
        nvx(i) = nvx(i) + evx(e)
        nvy(i) = nvy(i) + evy(e)
      end do
    end do
    do i = 1, numnp
      if (count(i) > 0) then
        r = 1d0/count(i)
        nvx(i) = nvx(i)*r
        nvy(i) = nvy(i)*r
      end if
    end do
    write (20, '(A,1PE15.7,1X,A80,A)') 'TITTLE = "TIME=', step_time, title, '"'
    write (20, '(A)') 'VARIABLES = "X","Y","P","H","VX","VY","V"'
    write (20, '(A,I8,A,I8,A)') 'ZONE N= ', numnp, ', E= ', active, ', F=FEPOINT'
    do i = 1, numnp
      write (20, '(1PE15.7,6(",",1PE15.7),",")') x(i), y(i), head(i), head(i) + y(i), &
        nvx(i), nvy(i), sqrt(nvx(i)*nvx(i) + nvy(i)*nvy(i))
    end do
    do e = 1, numel
      if (elem(e, 5) <= 0) cycle
      k = elem(e, 4)
      if (k == 0) k = elem(e, 3)
      write (20, '(I8,3(",",I8))') elem(e, 1), elem(e, 2), elem(e, 3), k
    end do
  end do
  close (20)
end program legacy_tecplot
